// check: the volume checker over the disks of an image, and its safe repairs.
#pragma once

#include "cli/command.h"

namespace cli {

// Exit status 0 when every disk checked is clean, 1 when anything was found (repaired or not),
// 2 when the image can't be read. --repair saves the image once, atomically, and only when a
// repair was made.
class CheckCommand : public Command {
public:
    CheckCommand();
    int Execute(Invocation& run) override;
};

}  // namespace cli
