// The options that several commands share, each declared once and asked for by the object:
// `run.options.isSet(JsonOption())`, never by its name as a string. An option a single command
// takes lives beside that command, the same way.
#pragma once

#include <QCommandLineOption>
#include <QString>

namespace cli {

// --json: one JSON document instead of text.
[[nodiscard]] const QCommandLineOption& JsonOption();
// --wait SECONDS: how long a changing command waits for another program's change of the image.
[[nodiscard]] const QCommandLineOption& WaitOption();
// --force: what it allows differs by command (see Described).
[[nodiscard]] const QCommandLineOption& ForceOption();
// --replace: a file of the same name and type on the target disk is replaced.
[[nodiscard]] const QCommandLineOption& ReplaceOption();

// The option with the help text one command gives it; the parser still knows it by its names.
[[nodiscard]] QCommandLineOption Described(const QCommandLineOption& option,
                                           const QString& description);
// An option with a value.
[[nodiscard]] QCommandLineOption ValueOption(const QString& name, const QString& value,
                                             const QString& description);

}  // namespace cli
