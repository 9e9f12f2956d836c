// Output helpers shared by the commands: the --json option, the JSON shape of a disk, and
// fields of a disk as numbers and texts.
#pragma once

#include <QByteArray>
#include <QCommandLineOption>
#include <QJsonObject>
#include <QString>
#include <QTextStream>
#include <cstdint>

class CMdosDisk;

namespace cli {

// Writes the document to standard output, indented, with a final newline.
void WriteJson(QTextStream& out, const QJsonObject& document);
// {"index": i, "name": label}
[[nodiscard]] QJsonObject DiskJson(std::int64_t index, const CMdosDisk& disk);
// The volume name at boot 0xC0 without its padding.
[[nodiscard]] QByteArray VolumeName(CMdosDisk& disk);

}  // namespace cli
