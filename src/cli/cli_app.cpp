#include "cli/cli_app.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "cli/command_table.h"
#include "cli/message_log.h"

namespace cli {

namespace {

QString ProgramHelp() {
    QString text = QStringLiteral(
        "Usage: brindle-cli COMMAND [ARGUMENTS] [options]\n"
        "       brindle-cli --help | --version | COMMAND --help\n\n"
        "Reads and changes Tarrow images (.trw) from the command line. IMAGE is an image file;\n"
        "DISK is a 0-based disk index or a disk name; FILE is a file name as ls prints it.\n\n"
        "Commands:\n");
    for (const auto& command : AllCommands()) {
        text += QStringLiteral("  %1  %2\n").arg(command->Name(), -14).arg(command->Description());
    }
    text += QStringLiteral(
        "\nExit status: 0 done, 1 the operation failed (the image is unchanged), 2 usage error\n"
        "or an image that can't be read. See brindle-cli(1).\n");
    return text;
}

void Print(FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
}

int RunCommand(Command& command, const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringLiteral("help"));
    parser.addOption(help);
    parser.addOptions(command.Options());
    // The parser takes the program name first; the command's own arguments follow.
    if (!parser.parse(arguments)) {
        Fail(kExitUsage, QStringLiteral("%1: %2").arg(command.Name(), parser.errorText()));
        Print(stderr, QStringLiteral("Usage: brindle-cli %1\n").arg(command.Synopsis()));
        return kExitUsage;
    }
    if (parser.isSet(help)) {
        Print(stdout, command.HelpText());
        return kExitDone;
    }
    const QStringList positional = parser.positionalArguments();
    if (!command.AcceptsArgumentCount(positional.size())) {
        Fail(kExitUsage, QStringLiteral("%1: wrong number of arguments").arg(command.Name()));
        Print(stderr, QStringLiteral("Usage: brindle-cli %1\n").arg(command.Synopsis()));
        return kExitUsage;
    }
    QTextStream out(stdout);
    MessageLog messages;
    Invocation run{positional, parser, out, messages};
    const int code = command.Execute(run);
    out.flush();
    return code;
}

}  // namespace

int Run(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("V"), QStringLiteral("version")});
    parser.addOption(help);
    parser.addOption(version);
    if (!parser.parse(arguments)) {
        Fail(kExitUsage, parser.errorText());
        return kExitUsage;
    }
    if (parser.isSet(version)) {
        Print(stdout,
              QStringLiteral("brindle-cli %1\n").arg(QCoreApplication::applicationVersion()));
        return kExitDone;
    }
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(help)) {
        Print(stdout, ProgramHelp());
        return kExitDone;
    }
    if (positional.isEmpty()) {
        Print(stderr, ProgramHelp());
        return kExitUsage;
    }
    Command* command = FindCommand(positional.front());
    if (!command) {
        Fail(kExitUsage,
             QStringLiteral("unknown command %1; see brindle-cli --help").arg(positional.front()));
        return kExitUsage;
    }
    QStringList rest = positional.mid(1);
    rest.prepend(arguments.value(0));
    return RunCommand(*command, rest);
}

}  // namespace cli
