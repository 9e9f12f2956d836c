// view: what a file holds, as a BASIC listing, a SCREEN$ picture (PNG), an array or hex.
#pragma once

#include "cli/command.h"

namespace cli {

class ViewCommand : public Command {
public:
    ViewCommand();
    int Execute(Invocation& run) override;
};

}  // namespace cli
