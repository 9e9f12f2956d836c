// check: the volume checker over the disks of an image, and its safe repairs.
#pragma once

#include "cli/command.h"

namespace cli {

// Exit status 0 when nothing is left to find (nothing was, or --repair mended it all and saved),
// 1 when findings are left, 2 when the image can't be read or the arguments are wrong, 4 when
// repairs were made but could not be saved. --repair saves the image once, atomically, and only
// when a repair was made.
class CheckCommand : public Command {
public:
    CheckCommand();
    int Execute(Invocation& run) override;
};

}  // namespace cli
