#include "cli/cli_app.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QIODevice>
#include <QTextStream>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cli/byte_text.h"
#include "cli/command.h"
#include "cli/command_table.h"
#include "cli/message_log.h"

namespace cli {

namespace {

QString ProgramHelp() {
    QString text = QStringLiteral(
        "Usage: brindle-cli COMMAND [ARGUMENTS] [options]\n"
        "       brindle-cli --help | --version | help COMMAND | COMMAND --help\n\n"
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

// The number of single-character edits that turn a into b.
qsizetype EditDistance(const QString& a, const QString& b) {
    std::vector<qsizetype> row(static_cast<std::size_t>(b.size()) + 1);
    for (qsizetype j = 0; j <= b.size(); ++j) {
        row[static_cast<std::size_t>(j)] = j;
    }
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const auto at = static_cast<std::size_t>(j);
            const qsizetype replaced = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            diagonal = row[at];
            row[at] = std::min({row[at] + 1, row[at - 1] + 1, replaced});
        }
    }
    return row.back();
}

// "unknown command lss; did you mean ls?": the nearest commands by edit distance, or those the
// word starts, when one is close enough to be what was meant.
int UnknownCommand(const QString& word) {
    QStringList near;
    qsizetype best = 3;  // two edits at most
    for (const auto& command : AllCommands()) {
        const qsizetype distance = command->Name().startsWith(word) && word.size() >= 2
                                       ? 1
                                       : EditDistance(word, command->Name());
        if (distance < best) {
            best = distance;
            near.clear();
        }
        if (distance == best) {
            near << command->Name();
        }
    }
    const QString hint =
        near.isEmpty()
            ? QString()
            : QStringLiteral("; did you mean %1?").arg(near.join(QStringLiteral(" or ")));
    return Fail(kExitUsage, QStringLiteral("unknown command %1%2 See brindle-cli --help")
                                .arg(word, hint.isEmpty() ? QStringLiteral(";") : hint));
}

// Output that never arrived is a failure whatever the command did, as coreutils have it: a
// full disk or a closed pipe behind standard output ends the program with status 1.
int CheckOutput(int code) {
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) {
        return code;
    }
    const int error = errno;
    std::clearerr(stdout);
    Fail(kExitFailed, QStringLiteral("write error: %1")
                          .arg(QString::fromLocal8Bit(std::strerror(error != 0 ? error : EIO))));
    return code == kExitDone ? static_cast<int>(kExitFailed) : code;
}

int RunCommand(Command& command, const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
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
    for (const QCommandLineOption& required : command.RequiredOptions()) {
        if (!parser.isSet(required)) {
            Fail(kExitUsage,
                 QStringLiteral("%1 needs %2").arg(command.Name(), OptionUsage(required)));
            Print(stderr, QStringLiteral("Usage: brindle-cli %1\n").arg(command.Synopsis()));
            return kExitUsage;
        }
    }
    QTextStream out(stdout);
    MessageLog messages;
    Invocation run{positional, parser, out, messages};
    const int code = command.Execute(run);
    out.flush();
    if (out.status() != QTextStream::Ok && out.device() != nullptr) {
        // Said here with the reason the device gave; CheckOutput would know only that it failed.
        Fail(kExitFailed, QStringLiteral("write error: %1").arg(out.device()->errorString()));
        std::clearerr(stdout);
        return code == kExitDone ? static_cast<int>(kExitFailed) : code;
    }
    return code;
}

// brindle-cli help [COMMAND]
int Help(const QStringList& words) {
    if (words.size() > 1) {
        return Fail(kExitUsage, QStringLiteral("help takes one COMMAND"));
    }
    if (words.isEmpty()) {
        Print(stdout, ProgramHelp());
        return kExitDone;
    }
    const Command* command = FindCommand(words.front());
    if (!command) {
        return UnknownCommand(words.front());
    }
    Print(stdout, command->HelpText());
    return kExitDone;
}

int RunWords(const QStringList& arguments) {
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
    if (positional.front() == QLatin1String("help")) {
        return Help(positional.mid(1));
    }
    Command* command = FindCommand(positional.front());
    if (!command) {
        return UnknownCommand(positional.front());
    }
    QStringList rest = positional.mid(1);
    rest.prepend(arguments.value(0));
    return RunCommand(*command, rest);
}

}  // namespace

int Run(const QStringList& arguments) {
    return CheckOutput(RunWords(arguments));
}

int Run(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        if (QFile::encodeName(QFile::decodeName(raw)) != raw) {
            return Fail(kExitUsage,
                        QStringLiteral("the argument %1 is not valid UTF-8, so it can't name a "
                                       "host file; a name on a disk takes \\xHH escapes")
                            .arg(BytesToText(raw)));
        }
    }
    return Run(QCoreApplication::arguments());
}

}  // namespace cli
