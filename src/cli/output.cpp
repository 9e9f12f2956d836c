#include "cli/output.h"

#include <QJsonDocument>

#include "cli/byte_text.h"
#include "cli/image_access.h"
#include "disk/le_bytes.h"
#include "disk/mdos_disk.h"

namespace cli {

QCommandLineOption JsonOption() {
    return QCommandLineOption(QStringLiteral("json"),
                              QStringLiteral("Writes one JSON document instead of text."));
}

void WriteJson(QTextStream& out, const QJsonObject& document) {
    out << QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Indented));
}

QJsonObject DiskJson(std::int64_t index, const CMdosDisk& disk) {
    return QJsonObject{{QStringLiteral("index"), static_cast<qint64>(index)},
                       {QStringLiteral("name"), BytesToJson(DiskLabel(disk.Record()))}};
}

QByteArray VolumeName(CMdosDisk& disk) {
    return TrimPadding(disk.GetSector(CMdosDisk::kBootSector) + CMdosDisk::kBootVolumeName,
                       CMdosDisk::kVolumeNameSize);
}

int EntryLength(const unsigned char* entry) {
    return static_cast<int>(disk::ReadLe16(entry + CMdosDisk::kEntryLengthLow) |
                            static_cast<unsigned>(entry[CMdosDisk::kEntryLengthHigh]) << 16);
}

}  // namespace cli
