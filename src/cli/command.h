// One subcommand of brindle-cli: its name, a one-line description, the positional arguments
// it takes, its options, and what it does. Every command is a small class that fills these in
// its constructor and implements Execute; the command table lists them.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace cli {

class MessageLog;

// The positional arguments most commands begin with, as usage lines name them.
inline const QString kImage = QStringLiteral("IMAGE");
inline const QString kDisk = QStringLiteral("DISK");

// The exit status every command ends with.
enum ExitCode : int {
    kExitDone = 0,    // the operation is complete (and the image saved, if it changed)
    kExitFailed = 1,  // the operation failed; a changed image was not saved
    kExitUsage = 2,   // bad arguments, or an image that can't be read
};

// What a command runs with: its positional arguments, the parsed options, standard output
// and the record of the messages the engine showed.
struct Invocation {
    QStringList args;
    const QCommandLineParser& options;
    QTextStream& out;
    MessageLog& messages;
};

class Command {
public:
    // arguments names the positional arguments in order: "NAME" is required, "[NAME]" optional,
    // a trailing "NAME..." takes one or more and "[NAME...]" any number. A command whose first
    // argument is IMAGE takes --wait as well.
    Command(QString name, QString description, QStringList arguments,
            QList<QCommandLineOption> options = {});
    virtual ~Command();
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    [[nodiscard]] const QString& Name() const { return m_name; }
    [[nodiscard]] const QString& Description() const { return m_description; }
    [[nodiscard]] const QStringList& Arguments() const { return m_arguments; }
    [[nodiscard]] const QList<QCommandLineOption>& Options() const { return m_options; }
    // Options the command can't run without: the usage line shows them, and a command line
    // without one is a usage error before the command runs.
    [[nodiscard]] const QList<QCommandLineOption>& RequiredOptions() const { return m_required; }

    // Whether count positional arguments fit the argument list.
    [[nodiscard]] bool AcceptsArgumentCount(qsizetype count) const;
    // "ls IMAGE DISK", for the usage line.
    [[nodiscard]] QString Synopsis() const;
    // The command's --help text: usage, description and options.
    [[nodiscard]] QString HelpText() const;

    virtual int Execute(Invocation& run) = 0;

protected:
    void Require(const QCommandLineOption& option) { m_required.append(option); }

private:
    QString m_name;
    QString m_description;
    QStringList m_arguments;
    QList<QCommandLineOption> m_options;
    QList<QCommandLineOption> m_required;
};

// "--to DISK": an option as a usage line shows it.
[[nodiscard]] QString OptionUsage(const QCommandLineOption& option);

// Writes "brindle-cli: text" to standard error and returns code, for `return Fail(...)`.
int Fail(int code, const QString& text);
// The same for the engine's own texts, which are bytes as the engine wrote them.
void PrintMessage(const std::string& text);

}  // namespace cli
