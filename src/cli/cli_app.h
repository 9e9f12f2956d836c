// brindle-cli's entry: picks the subcommand from the command line, parses its arguments and
// options, and runs it with the engine's messages going to the terminal.
#pragma once

#include <QStringList>

namespace cli {

// Runs the command line (arguments[0] is the program) and returns the exit code.
int Run(const QStringList& arguments);
// The command line as the system gave it, bytes and all. Qt holds text and file names as
// Unicode, so an argument that isn't valid UTF-8 would reach the command as another string and
// name another file: it is refused (exit status 2) before anything runs.
int Run(int argc, char* argv[]);

}  // namespace cli
