#include "cli/output.h"

#include <QJsonDocument>

#include "cli/byte_text.h"
#include "cli/image_access.h"
#include "disk/mdos_disk.h"

namespace cli {

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

}  // namespace cli
