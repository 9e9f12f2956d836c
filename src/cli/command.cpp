#include "cli/command.h"

#include <cstdio>
#include <utility>

#include "cli/options.h"

namespace cli {

namespace {

bool IsOptional(const QString& argument) {
    return argument.startsWith(QLatin1Char('['));
}

bool IsRepeated(const QString& argument) {
    return argument.endsWith(QLatin1String("...")) || argument.endsWith(QLatin1String("...]"));
}

}  // namespace

Command::Command(QString name, QString description, QStringList arguments,
                 QList<QCommandLineOption> options)
    : m_name(std::move(name)),
      m_description(std::move(description)),
      m_arguments(std::move(arguments)),
      m_options(std::move(options)) {
    // Every command on an image waits for another program's change of it: a writer for the
    // lock of its whole change, a reader for a change in progress to end.
    if (!m_arguments.isEmpty() && m_arguments.front() == kImage) {
        m_options << WaitOption();
    }
}

Command::~Command() = default;

bool Command::AcceptsArgumentCount(qsizetype count) const {
    qsizetype required = 0;
    bool unbounded = false;
    for (const QString& argument : m_arguments) {
        if (!IsOptional(argument)) {
            ++required;
        }
        unbounded = unbounded || IsRepeated(argument);
    }
    return count >= required && (unbounded || count <= m_arguments.size());
}

QString Command::Synopsis() const {
    QString text = m_name;
    for (const QString& argument : m_arguments) {
        text += QLatin1Char(' ') + argument;
    }
    for (const QCommandLineOption& option : m_required) {
        text += QLatin1Char(' ') + OptionUsage(option);
    }
    return text;
}

QString OptionUsage(const QCommandLineOption& option) {
    const QString& name = option.names().constLast();
    QString text = (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    if (!option.valueName().isEmpty()) {
        text += QLatin1Char(' ') + option.valueName();
    }
    return text;
}

QString Command::HelpText() const {
    QString text =
        QStringLiteral("Usage: brindle-cli %1%2\n\n%3\n")
            .arg(Synopsis(), m_options.isEmpty() ? QString() : QStringLiteral(" [options]"),
                 m_description);
    text += QStringLiteral("\nOptions:\n");
    QList<QCommandLineOption> shown = m_options;
    shown.append(QCommandLineOption(QStringLiteral("help"), QStringLiteral("Shows this help.")));
    for (const QCommandLineOption& option : shown) {
        QStringList names;
        for (const QString& name : option.names()) {
            names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
        }
        QString left = names.join(QStringLiteral(", "));
        if (!option.valueName().isEmpty()) {
            left += QLatin1Char(' ') + option.valueName();
        }
        text += QStringLiteral("  %1  %2\n").arg(left, -22).arg(option.description());
    }
    return text;
}

int Fail(int code, const QString& text) {
    PrintMessage(text.toStdString());
    return code;
}

void PrintMessage(const std::string& text) {
    std::fprintf(stderr, "brindle-cli: %s\n", text.c_str());
    std::fflush(stderr);
}

}  // namespace cli
