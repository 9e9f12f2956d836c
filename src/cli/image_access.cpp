#include "cli/image_access.h"

#include <QSet>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "cli/byte_text.h"
#include "cli/command.h"
#include "cli/message_log.h"
#include "disk/mdos_disk.h"

namespace cli {

namespace {

constexpr int kLabelBytes = CMdosDisk::kDiskNameOffset + CMdosDisk::kDiskNameSize;

bool IsDigits(const QString& text) {
    if (text.isEmpty()) {
        return false;
    }
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
    }
    return true;
}

QByteArray EntryName(const unsigned char* entry) {
    return TrimPadding(entry + CMdosDisk::kEntryName, CMdosDisk::kEntryNameSize);
}

QByteArray WithType(const QByteArray& name, const unsigned char* entry) {
    return name + '.' + static_cast<char>(entry[CMdosDisk::kEntryType]);
}

}  // namespace

QByteArray DiskLabel(const unsigned char* record) {
    const unsigned char* name = record + CMdosDisk::kDiskNameOffset;
    const void* nul = std::memchr(name, 0, CMdosDisk::kDiskNameSize);
    const int size = nul ? static_cast<int>(static_cast<const unsigned char*>(nul) - name)
                         : CMdosDisk::kDiskNameSize;
    QByteArray label(reinterpret_cast<const char*>(name), size);
    while (label.endsWith(' ')) {
        label.chop(1);
    }
    return label;
}

std::vector<DiskFile> ListFiles(CMdosDisk& disk) {
    std::vector<DiskFile> files;
    QSet<QByteArray> seen;
    QSet<QByteArray> repeated;
    unsigned char* cursor = disk.FirstDirEntry();
    for (unsigned char* entry = cursor; entry; entry = disk.NextDirEntry(&cursor)) {
        if (entry[CMdosDisk::kEntryType] == CMdosDisk::kFreeEntry) {
            continue;
        }
        QByteArray name = EntryName(entry);
        if (seen.contains(name)) {
            repeated.insert(name);
        }
        seen.insert(name);
        files.push_back({entry, name, name});
    }
    for (DiskFile& file : files) {
        if (repeated.contains(file.name)) {
            file.label = WithType(file.name, file.entry);
        }
    }
    return files;
}

int FindFiles(CMdosDisk& disk, const QStringList& names, std::vector<unsigned char*>* entries) {
    const std::vector<DiskFile> files = ListFiles(disk);
    entries->clear();
    for (const QString& text : names) {
        QByteArray wanted;
        if (!BytesFromArgument(text, &wanted)) {
            return Fail(kExitUsage, QStringLiteral("%1: malformed \\x escape").arg(text));
        }
        // A file's own name wins over the NAME.T form of another.
        std::vector<unsigned char*> byName;
        std::vector<unsigned char*> byType;
        for (const DiskFile& file : files) {
            if (file.name == wanted) {
                byName.push_back(file.entry);
            } else if (WithType(file.name, file.entry) == wanted) {
                byType.push_back(file.entry);
            }
        }
        const std::vector<unsigned char*>& found = byName.empty() ? byType : byName;
        if (found.empty()) {
            return Fail(kExitFailed, QStringLiteral("%1: no such file on the disk").arg(text));
        }
        if (found.size() > 1) {
            return Fail(kExitFailed,
                        QStringLiteral("%1: %2 files have this name; name one as NAME.T")
                            .arg(text)
                            .arg(found.size()));
        }
        if (std::find(entries->begin(), entries->end(), found.front()) == entries->end()) {
            entries->push_back(found.front());
        }
    }
    return kExitDone;
}

int ResolveDisk(const QString& text, std::int64_t count,
                const std::function<QByteArray(std::int64_t)>& labelOf) {
    if (IsDigits(text)) {
        bool ok = false;
        const qlonglong index = text.toLongLong(&ok);
        if (ok && index < count) {
            return static_cast<int>(index);
        }
        Fail(kExitUsage, QStringLiteral("disk index %1 is out of range: the image has %2 disk%3")
                             .arg(text)
                             .arg(count)
                             .arg(count == 1 ? QString() : QStringLiteral("s")));
        return -1;
    }
    QByteArray wanted;
    if (!BytesFromArgument(text, &wanted)) {
        Fail(kExitUsage, QStringLiteral("%1: malformed \\x escape").arg(text));
        return -1;
    }
    for (std::int64_t i = 0; i < count; ++i) {
        if (labelOf(i) == wanted) {
            return static_cast<int>(i);
        }
    }
    Fail(kExitUsage, QStringLiteral("no disk is named %1").arg(text));
    return -1;
}

bool ParseNumber(const QString& what, const QString& text, int min, int max, int* value) {
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < min || number > max) {
        Fail(kExitUsage,
             QStringLiteral("%1 must be a number from %2 to %3").arg(what).arg(min).arg(max));
        return false;
    }
    *value = number;
    return true;
}

int ImageReader::Open(const QString& path) {
    m_path = path;
    if (m_file.Open(path) != CImageFile::Status::Ok) {
        return Fail(kExitUsage, m_file.ErrorText());
    }
    // Disk indices are ints everywhere; an image past that is no image we made.
    if (m_file.RecordCount() > INT32_MAX) {
        return Fail(kExitUsage, QStringLiteral("%1 holds too many disks").arg(path));
    }
    return kExitDone;
}

int ImageReader::Read(std::int64_t index, CMdosDisk& disk, int size) {
    if (!m_file.ReadRecordPart(index, disk.Record(), size)) {
        return Fail(kExitUsage, QStringLiteral("cannot read disk %1 of %2").arg(index).arg(m_path));
    }
    return kExitDone;
}

int ImageReader::Load(const QString& diskArgument, CMdosDisk& disk, std::int64_t* index, int size) {
    const int found = ResolveDisk(diskArgument, Count(), [this](std::int64_t i) {
        unsigned char head[kLabelBytes] = {};
        return m_file.ReadRecordPart(i, head, kLabelBytes) ? DiskLabel(head) : QByteArray();
    });
    if (found < 0) {
        return kExitUsage;
    }
    *index = found;
    return Read(found, disk, size);
}

int ImageEditor::Open(const QString& path) {
    m_path = path;
    // The document reads any file; a changing command refuses a torn one before touching it.
    CImageFile file;
    if (file.Open(path) != CImageFile::Status::Ok) {
        return Fail(kExitUsage, file.ErrorText());
    }
    if (!m_doc.OnOpenDocument(path)) {
        return kExitUsage;
    }
    return kExitDone;
}

void ImageEditor::StartNew(const QString& path) {
    m_path = path;
}

int ImageEditor::FindDisk(const QString& diskArgument) {
    return ResolveDisk(diskArgument, static_cast<std::int64_t>(m_doc.m_disks.size()),
                       [this](std::int64_t i) { return DiskLabel(m_doc.m_disks[i]->Record()); });
}

int ImageEditor::Save(Invocation& run) {
    if (run.messages.Failed()) {
        return Fail(kExitFailed, QStringLiteral("%1 was not changed").arg(m_path));
    }
    if (!m_doc.OnSaveDocument(m_path)) {
        return kExitFailed;
    }
    return kExitDone;
}

}  // namespace cli
