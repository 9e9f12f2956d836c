// Every subcommand of brindle-cli, in the order --help lists them.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "cli/command.h"

namespace cli {

[[nodiscard]] const std::vector<std::unique_ptr<Command>>& AllCommands();
// The command of that name, or null.
[[nodiscard]] Command* FindCommand(const QString& name);

}  // namespace cli
