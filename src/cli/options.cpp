#include "cli/options.h"

namespace cli {

namespace {
constexpr int kDefaultWaitSeconds = 30;
}  // namespace

const QCommandLineOption& JsonOption() {
    static const QCommandLineOption option(
        QStringLiteral("json"), QStringLiteral("Writes one JSON document instead of text."));
    return option;
}

const QCommandLineOption& WaitOption() {
    static const QCommandLineOption option(
        QStringLiteral("wait"),
        QStringLiteral("Waits up to SECONDS (default %1) while another program changes the image.")
            .arg(kDefaultWaitSeconds),
        QStringLiteral("SECONDS"), QString::number(kDefaultWaitSeconds));
    return option;
}

const QCommandLineOption& ForceOption() {
    static const QCommandLineOption option(QStringLiteral("force"),
                                           QStringLiteral("Goes ahead where the command would "
                                                          "refuse."));
    return option;
}

const QCommandLineOption& ReplaceOption() {
    static const QCommandLineOption option(QStringLiteral("replace"),
                                           QStringLiteral("Replaces a file of the same name and "
                                                          "type on the target disk."));
    return option;
}

QCommandLineOption Described(const QCommandLineOption& option, const QString& description) {
    QCommandLineOption described = option;
    described.setDescription(description);
    return described;
}

QCommandLineOption ValueOption(const QString& name, const QString& value,
                               const QString& description) {
    return QCommandLineOption(name, description, value);
}

}  // namespace cli
