// brindle-cli's entry: picks the subcommand from the command line, parses its arguments and
// options, and runs it with the engine's messages going to the terminal.
#pragma once

#include <QStringList>

namespace cli {

// Runs the command line (arguments[0] is the program) and returns the exit code.
int Run(const QStringList& arguments);

}  // namespace cli
