#include "image/brindle_doc.h"

#include <unistd.h>

#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <utility>

#include "disk/mdos_format.h"
#include "framework/archive.h"
#include "framework/command_ids.h"
#include "framework/progress.h"
#include "image/boot_settings.h"
#include "image/image_save.h"
#include "image/image_source.h"
#include "platform/available_memory.h"
#include "platform/host_file.h"
#include "platform/in_place_change.h"
#include "platform/message_box.h"

namespace {

constexpr std::uint64_t kRecordSize = CMdosDisk::kRecordSize;

// The record's five fields lie back to back in CMdosDisk::Record() in file order, so a record
// moves between file and disk as one block of 866,816 bytes: the bytes are the same as field
// by field, without four extra calls per disk.
static_assert(CMdosDisk::kSystemMarkOffset == 0);
static_assert(CMdosDisk::kDiskNameOffset ==
              CMdosDisk::kSystemMarkOffset + CMdosDisk::kSystemMarkSize);
static_assert(CMdosDisk::kWriteProtectOffset ==
              CMdosDisk::kDiskNameOffset + CMdosDisk::kDiskNameSize);
static_assert(CMdosDisk::kCommentOffset ==
              CMdosDisk::kWriteProtectOffset + CMdosDisk::kWriteProtectSize);
static_assert(CMdosDisk::kCommentOffset + CMdosDisk::kCommentSize == CMdosDisk::kHeaderSize);
static_assert(CMdosDisk::kHeaderSize + CMdosDisk::kSectorDataSize == CMdosDisk::kRecordSize);

// The 32 name bytes as they go into the record: blank-padded, no terminator.
struct DiskName {
    char bytes[CMdosDisk::kDiskNameSize];
};

DiskName MakeDiskName(const char* text) {
    DiskName name;
    std::memset(name.bytes, ' ', sizeof name.bytes);
    std::memcpy(name.bytes, text, std::min(std::strlen(text), sizeof name.bytes));
    return name;
}

// "empty disk %d" followed by 20 blanks, cut to 32 bytes.
DiskName EmptyDiskName(std::size_t index) {
    char text[64];
    std::snprintf(text, sizeof text, "empty disk %zu                    ", index);
    return MakeDiskName(text);
}

void WriteName(CMdosDisk& disk, const DiskName& name) {
    std::memcpy(disk.Record() + CMdosDisk::kDiskNameOffset, name.bytes, sizeof name.bytes);
}

void WriteCreatorComment(CMdosDisk& disk) {
    unsigned char* comment = disk.Record() + CMdosDisk::kCommentOffset;
    static_assert(sizeof CBrindleDoc::kCreatorText - 1 <= CMdosDisk::kCommentSize);
    std::memset(comment, 0, CMdosDisk::kCommentSize);
    std::memcpy(comment, CBrindleDoc::kCreatorText, sizeof CBrindleDoc::kCreatorText - 1);
}

// The header of every disk the document makes: "SDOS", the name, "0", the creator text.
void WriteNewHeader(CMdosDisk& disk, const DiskName& name) {
    std::memcpy(disk.Record() + CMdosDisk::kSystemMarkOffset, "SDOS", CMdosDisk::kSystemMarkSize);
    WriteName(disk, name);
    disk.Record()[CMdosDisk::kWriteProtectOffset] = '0';
    WriteCreatorComment(disk);
}

// Memory the system must keep beyond a new disk: the rest of the program, the views and the
// system itself live there.
constexpr std::uint64_t kMemoryMargin = 64ULL * 1024 * 1024;

// An allocation never fails on a system that overcommits: past what exists, the system ends
// the process instead, unsaved image and all. So a run over many disks asks before each one.
bool HasMemoryForDisk() {
    const std::optional<std::uint64_t> available = platform::AvailableMemory();
    return !available || *available >= kRecordSize + kMemoryMargin;
}

void ShowNoMemory() {
    platform::ShowMessage(platform::MessageKind::Stop, CBrindleDoc::kNoMemoryMessage);
}

}  // namespace

CBrindleDoc::CBrindleDoc(QObject* parent) : CDocument(parent) {
    OnCommand(cmd::kMergeMode, &CBrindleDoc::OnMergeMode, &CBrindleDoc::OnUpdateMergeMode);
}

// The vector deletes the disks in index order.
CBrindleDoc::~CBrindleDoc() = default;

std::unique_ptr<CMdosDisk> CBrindleDoc::NewDisk() {
    return disk::TryNewDisk();
}

std::unique_ptr<CMdosDisk> CBrindleDoc::NewDeferredDisk(const std::shared_ptr<CImageSource>& source,
                                                        std::int64_t index) {
    try {
        return std::make_unique<CMdosDisk>(source, index);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool CBrindleDoc::AppendDisk(std::unique_ptr<CMdosDisk>& disk) {
    try {
        m_disks.push_back(std::move(disk));
    } catch (const std::bad_alloc&) {
        disk.reset();
        return false;
    }
    return true;
}

bool CBrindleDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument()) {
        return false;
    }
    CBootSettings settings;
    settings.LoadSettings();
    DropAllDisks();

    // Without memory for the boot disk the new image stays empty and the step fails.
    std::unique_ptr<CMdosDisk> disk = NewDisk();
    if (!disk) {
        ShowNoMemory();
        return false;
    }
    WriteNewHeader(*disk, MakeDiskName("bootdisk"));
    disk->Format(80, 9, "boot");

    settings.LoadSettings();
    if (settings.m_nRadio == 1) {
        if (settings.m_strFile.isEmpty()) {
            platform::ShowMessage(platform::MessageKind::Information, kNoTemplateMessage);
        } else {
            // The template's record replaces the formatted one as far as the file reaches; a
            // file that can't be opened replaces nothing.
            disk->LoadRecord(QFile::encodeName(settings.m_strFile).constData());
        }
    } else {
        platform::ShowMessage(platform::MessageKind::Information, kListTemplateMessage);
        WriteName(*disk, MakeDiskName("empty boot disk"));
    }
    if (!AppendDisk(disk)) {
        ShowNoMemory();
        return false;
    }
    return true;
}

bool CBrindleDoc::ConfirmSave(const QString& path, const platform::FileIdentity& existing,
                              bool ownFile) {
    if (!CDocument::ConfirmSave(path, existing, ownFile)) {
        return false;
    }
    const std::int64_t tail = existing.size % CMdosDisk::kRecordSize;
    if (!ownFile || tail == 0) {
        return true;
    }
    const QString text =
        QString::fromLatin1(kDropTailQuestion).arg(tail).arg(QFileInfo(path).fileName());
    return platform::ShowMessage(platform::MessageKind::CautiousQuestion, text.toStdString()) ==
           platform::Answer::Yes;
}

bool CBrindleDoc::OnOpenDocument(const QString& path) {
    m_openingPath = path;
    const bool opened = CDocument::OnOpenDocument(path);
    m_openingPath.clear();
    return opened;
}

std::optional<QString> CBrindleDoc::SaveInPlace(const QString& path) {
    return image::SaveInPlace(m_disks, m_source, path);
}

void CBrindleDoc::OnFileWritten(const QString& path) {
    std::string error;
    const int fd = platform::OpenRegularFile(QFile::encodeName(path).constData(), &error);
    if (fd < 0) {
        return;  // the disks not read yet still read from the file they were opened from
    }
    m_source = std::make_shared<CImageSource>(fd, path, [this] { return HoldsLock(); });
    for (std::size_t i = 0; i < m_disks.size(); ++i) {
        m_disks[i]->Rebind(m_source, static_cast<std::int64_t>(i));
    }
}

void CBrindleDoc::OnOpenEmptyFile() {
    if (!m_bMergeMode) {
        DropAllDisks();
    }
}

void CBrindleDoc::Serialize(framework::CArchive& ar) {
    if (ar.IsStoring()) {
        WriteImage(ar);
    } else {
        ReadImage(ar);
    }
}

void CBrindleDoc::ReadImage(framework::CArchive& ar) {
    if (!m_bMergeMode) {
        DropAllDisks();
        if (ReadImageDeferred(ar)) {
            return;
        }
    }
    // Trailing bytes past the last whole record are never read.
    const std::uint64_t count = ar.GetLength() / kRecordSize;
    framework::BeginProgress(QStringLiteral("Opening image ..."));
    try {
        m_disks.reserve(m_disks.size() + count);
    } catch (const std::exception&) {
        ar.Fail();  // "Failed to open document."
    }
    for (std::uint64_t k = 0; k < count && !ar.Failed(); ++k) {
        std::unique_ptr<CMdosDisk> disk = HasMemoryForDisk() ? NewDisk() : nullptr;
        if (!disk) {
            ar.Fail();
            break;
        }
        ar.Read(disk->Record(), kRecordSize);
        // A disk whose record was not filled never enters the array.
        if (ar.Failed() || !AppendDisk(disk)) {
            ar.Fail();
            break;
        }
        framework::SetProgress(framework::ProgressStep(k, count));
    }
    framework::EndProgress();
}

bool CBrindleDoc::ReadImageDeferred(framework::CArchive& ar) {
    auto* file = m_deferredReading ? qobject_cast<QFileDevice*>(ar.Device()) : nullptr;
    const int fd = file != nullptr && file->handle() >= 0 ? ::dup(file->handle()) : -1;
    if (fd < 0) {
        return false;
    }
    auto source = std::make_shared<CImageSource>(fd, m_openingPath, [this] { return HoldsLock(); });
    const std::uint64_t count = ar.GetLength() / kRecordSize;
    framework::BeginProgress(QStringLiteral("Opening image ..."));
    try {
        m_disks.reserve(count);
    } catch (const std::exception&) {
        ar.Fail();  // "Failed to open document."
    }
    if (!ar.Failed() && !source->BeginReading()) {
        ar.Fail();
    }
    // Under the shared lock a journal can only be a change whose program stopped after the
    // file was looked at: its records may be half written.
    if (!ar.Failed() && platform::HasJournal(QFile::encodeName(m_openingPath).toStdString())) {
        ar.Fail(QStringLiteral("Cannot open \"%1\": another program stopped while changing it. "
                               "Open it again to undo that change.")
                    .arg(m_openingPath));
    }
    source->EndReading();
    for (std::uint64_t k = 0; k < count && !ar.Failed(); ++k) {
        std::unique_ptr<CMdosDisk> disk = NewDeferredDisk(source, static_cast<std::int64_t>(k));
        if (!disk || !AppendDisk(disk)) {
            ar.Fail();
            break;
        }
        framework::SetProgress(framework::ProgressStep(k, count));
    }
    framework::EndProgress();
    m_source = std::move(source);
    return true;
}

void CBrindleDoc::ReadHeaders(std::size_t first) {
    if (m_source == nullptr) {
        return;
    }
    // Disks whose header can't be read learn so one by one, and say why once.
    const bool batch = m_source->BeginReading();
    for (std::size_t i = first; batch && i < m_disks.size(); ++i) {
        static_cast<void>(std::as_const(*m_disks[i]).Header());
    }
    m_source->EndReading();
}

void CBrindleDoc::WriteImage(framework::CArchive& ar) {
    const std::uint64_t count = m_disks.size();
    std::vector<unsigned char> record;
    framework::BeginProgress(QStringLiteral("Saving image ..."));
    for (std::uint64_t k = 0; k < count; ++k) {
        const CMdosDisk& disk = *m_disks[k];
        QString error;
        if (disk.IsLoaded() && !disk.LoadFailed()) {
            ar.Write(disk.Record(), kRecordSize);
        } else {
            // A disk not read yet goes from its file to the new one without staying in memory.
            record.resize(kRecordSize);
            if (image::CopyRecord(disk, static_cast<int>(k), record.data(), &error)) {
                ar.Write(record.data(), kRecordSize);
            } else {
                ar.Fail(QStringLiteral("Cannot save the image: %1.").arg(error));
            }
        }
        if (ar.Failed()) {
            break;
        }
        framework::SetProgress(framework::ProgressStep(k, count));
    }
    framework::EndProgress();
}

void CBrindleDoc::DropAllDisks() {
    framework::BeginProgress(QStringLiteral("Dropping disks ..."));
    const std::uint64_t count = m_disks.size();
    for (std::uint64_t k = 0; k < count; ++k) {
        m_disks[k].reset();
        framework::SetProgress(framework::ProgressStep(k, count));
    }
    m_disks.clear();
    m_disks.shrink_to_fit();
    m_source.reset();
    framework::EndProgress();
}

void CBrindleDoc::AddDisks(int count, const std::function<void(CMdosDisk&)>& fill) {
    bool outOfMemory = false;
    framework::BeginProgress(QStringLiteral("Adding disks ..."));
    for (int i = 0; i < count; ++i) {
        // New disks are zero-filled, so a missing or short template leaves no byte undefined.
        std::unique_ptr<CMdosDisk> disk = HasMemoryForDisk() ? NewDisk() : nullptr;
        if (!disk) {
            outOfMemory = true;
            break;
        }
        fill(*disk);
        if (!AppendDisk(disk)) {
            outOfMemory = true;
            break;
        }
        framework::SetProgress(framework::ProgressStep(i, count));
    }
    framework::EndProgress();
    if (outOfMemory) {
        ShowNoMemory();
    }
}

void CBrindleDoc::AddFormattedDisks(int count, int tracks, int sectorsPerTrack,
                                    const QString& name) {
    const QByteArray volume = name.toLatin1();
    AddDisks(count, [&](CMdosDisk& disk) {
        WriteNewHeader(disk, EmptyDiskName(m_disks.size()));
        disk.Format(tracks, sectorsPerTrack, volume.constData());
    });
}

void CBrindleDoc::AddStandardDisks(int count) {
    AddFormattedDisks(count, disk::kStandardTracks, disk::kStandardSectorsPerTrack,
                      QString::fromLatin1(disk::kStandardVolumeName));
}

void CBrindleDoc::AddTapeDisks(int count, const QString& tapPath) {
    const QByteArray path = QFile::encodeName(tapPath);
    AddTapeDisks(count, [&path](CMdosDisk& disk) { disk.ImportTap(path.constData()); });
}

void CBrindleDoc::AddTapeDisks(int count, const std::function<void(CMdosDisk&)>& import) {
    const std::size_t first = m_disks.size();
    AddFormattedDisks(count, disk::kStandardTracks, disk::kStandardSectorsPerTrack,
                      QString::fromLatin1(disk::kTapeVolumeName));
    for (std::size_t i = first; i < m_disks.size(); ++i) {
        import(*m_disks[i]);
    }
}

void CBrindleDoc::AddD80Disks(int count, const QString& d80Path) {
    const std::size_t first = m_disks.size();
    AddStandardDisks(count);
    const QByteArray path = QFile::encodeName(d80Path);
    for (std::size_t i = first; i < m_disks.size(); ++i) {
        m_disks[i]->LoadRawImage(path.constData());
    }
}

void CBrindleDoc::MakeTapeDisk(CMdosDisk& target, const QString& tapPath) {
    disk::FormatAsTapeDisk(target);
    target.ImportTap(QFile::encodeName(tapPath).constData());
}

void CBrindleDoc::AddDisksFromFile(int count, const QString& path) {
    const QByteArray file = QFile::encodeName(path);
    AddDisks(count, [&](CMdosDisk& disk) {
        disk.LoadRecord(file.constData());
        // The system mark and the write-protect byte stay as read.
        WriteName(disk, EmptyDiskName(m_disks.size()));
        WriteCreatorComment(disk);
    });
}

void CBrindleDoc::RemoveDisk(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= m_disks.size()) {
        return;
    }
    m_disks.erase(m_disks.begin() + index);
}

void CBrindleDoc::OnMergeMode() {
    m_bMergeMode = !m_bMergeMode;
}

void CBrindleDoc::OnUpdateMergeMode(framework::CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_bMergeMode);
}
