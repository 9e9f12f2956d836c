#include "cli/image_access.h"

#include <fnmatch.h>
#include <QSet>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "cli/byte_text.h"
#include "cli/change.h"
#include "cli/command.h"
#include "cli/message_log.h"
#include "disk/mdos_disk.h"
#include "disk/mdos_format.h"

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

QByteArray WithType(const QByteArray& name, const unsigned char* entry) {
    return name + '.' + static_cast<char>(entry[CMdosDisk::kEntryType]);
}

[[nodiscard]] bool IsPattern(const QByteArray& text) {
    return text.contains('*') || text.contains('?') || text.contains('[');
}

// The files whose names as ls prints them match the pattern, in directory order. Names are
// matched as bytes up to a NUL, the way the C library's matcher reads them.
std::vector<unsigned char*> Matching(const std::vector<DiskFile>& files,
                                     const QByteArray& pattern) {
    std::vector<unsigned char*> matched;
    for (const DiskFile& file : files) {
        if (::fnmatch(pattern.constData(), file.label.constData(), FNM_PERIOD) == 0) {
            matched.push_back(file.entry);
        }
    }
    return matched;
}

// N for an argument "#N" with N a directory slot, else -1.
int SlotArgument(const QByteArray& text) {
    if (text.size() < 2 || text.size() > 4 || text[0] != '#') {
        return -1;
    }
    bool ok = false;
    const int slot = text.mid(1).toInt(&ok);
    const bool digits =
        std::all_of(text.begin() + 1, text.end(), [](char c) { return c >= '0' && c <= '9'; });
    return ok && digits && slot < CMdosDisk::kDirEntryCount ? slot : -1;
}

}  // namespace

QByteArray DiskLabel(const unsigned char* record) {
    return QByteArray::fromStdString(disk::DiskLabel(record));
}

QByteArray EntryName(const unsigned char* entry) {
    return TrimPadding(entry + CMdosDisk::kEntryName, CMdosDisk::kEntryNameSize);
}

std::vector<DiskFile> ListFiles(CMdosDisk& disk) {
    std::vector<DiskFile> files;
    QSet<QByteArray> seen;
    QSet<QByteArray> repeated;
    unsigned char* cursor = disk.FirstDirEntry();
    int slot = 0;
    for (unsigned char* entry = cursor; entry; entry = disk.NextDirEntry(&cursor), ++slot) {
        if (entry[CMdosDisk::kEntryType] == CMdosDisk::kFreeEntry) {
            continue;
        }
        QByteArray name = EntryName(entry);
        if (seen.contains(name)) {
            repeated.insert(name);
        }
        seen.insert(name);
        files.push_back({entry, name, name, slot});
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
        // A file's own name wins over the NAME.T form of another, and both over a slot.
        std::vector<unsigned char*> byName;
        std::vector<unsigned char*> byType;
        std::vector<unsigned char*> bySlot;
        const int slot = SlotArgument(wanted);
        for (const DiskFile& file : files) {
            if (file.name == wanted) {
                byName.push_back(file.entry);
            } else if (WithType(file.name, file.entry) == wanted) {
                byType.push_back(file.entry);
            } else if (file.slot == slot) {
                bySlot.push_back(file.entry);
            }
        }
        const std::vector<unsigned char*>& exact =
            !byName.empty() ? byName : (!byType.empty() ? byType : bySlot);
        // A shell pattern names every file whose name, as ls prints it, matches.
        if (exact.empty() && IsPattern(wanted)) {
            const std::vector<unsigned char*> matched = Matching(files, wanted);
            if (matched.empty()) {
                return Fail(kExitFailed, QStringLiteral("%1: no file matches").arg(text));
            }
            for (unsigned char* entry : matched) {
                if (std::find(entries->begin(), entries->end(), entry) == entries->end()) {
                    entries->push_back(entry);
                }
            }
            continue;
        }
        const std::vector<unsigned char*>& found = exact;
        if (found.empty()) {
            return Fail(kExitFailed, QStringLiteral("%1: no such file on the disk").arg(text));
        }
        if (found.size() > 1) {
            return Fail(kExitFailed,
                        QStringLiteral("%1: %2 files have this name; name one as NAME.T or #SLOT")
                            .arg(text)
                            .arg(found.size()));
        }
        if (std::find(entries->begin(), entries->end(), found.front()) == entries->end()) {
            entries->push_back(found.front());
        }
    }
    return kExitDone;
}

std::vector<unsigned char*> FilesNamed(CMdosDisk& disk, const QByteArray& name, unsigned char type,
                                       const unsigned char* except) {
    std::vector<unsigned char*> found;
    for (const DiskFile& file : ListFiles(disk)) {
        if (file.entry != except && file.name == name &&
            file.entry[CMdosDisk::kEntryType] == type) {
            found.push_back(file.entry);
        }
    }
    return found;
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

int ImageReader::Open(const Invocation& run) {
    int waitMs = 0;
    if (!LockWait(run, &waitMs)) {
        return kExitUsage;
    }
    const QString& path = run.args.at(0);
    m_path = path;
    switch (m_file.Open(path, waitMs)) {
        case CImageFile::Status::Ok:
            break;
        case CImageFile::Status::Busy:
            return Fail(kExitFailed, m_file.ErrorText());
        case CImageFile::Status::CannotOpen:
        case CImageFile::Status::NotWholeRecords:
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

namespace {

int LockImage(CBrindleDoc& doc, const QString& path, int waitMs) {
    switch (doc.LockFile(path, waitMs)) {
        case platform::FileLock::Result::Busy:
            return Fail(kExitFailed,
                        QStringLiteral("%1 is being changed by another program; gave up after "
                                       "waiting %2 s (see --wait)")
                            .arg(path)
                            .arg(waitMs / 1000));
        case platform::FileLock::Result::NotRegular:
            return Fail(kExitUsage, QStringLiteral("%1 is not a regular file").arg(path));
        case platform::FileLock::Result::Locked:
        case platform::FileLock::Result::Missing:
        case platform::FileLock::Result::Failed:
            break;  // a file that can't be opened is reported by whoever reads it
    }
    return kExitDone;
}

}  // namespace

int ImageEditor::Open(const QString& path, int waitMs) {
    m_path = path;
    m_doc.SetDeferredReading(true);  // only the disks the command touches are read
    const int locked = LockImage(m_doc, path, waitMs);
    if (locked != kExitDone) {
        return locked;
    }
    // The document reads any file (undoing first a change a program left unfinished); a
    // changing command refuses a torn one before it changes anything.
    if (!m_doc.OnOpenDocument(path)) {
        return kExitUsage;
    }
    QString error;
    if (!CImageFile::HasWholeRecords(path, &error)) {
        return Fail(kExitUsage, error);
    }
    return kExitDone;
}

int ImageEditor::StartNew(const QString& path, int waitMs) {
    m_path = path;
    return LockImage(m_doc, path, waitMs);
}

int ImageEditor::FindDisk(const QString& diskArgument) {
    return ResolveDisk(diskArgument, static_cast<std::int64_t>(m_doc.m_disks.size()),
                       [this](std::int64_t i) { return DiskLabel(m_doc.m_disks[i]->Header()); });
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
