// The file commands of the content list: moving files in and out of the shown disk and acting
// on the selected files. The disk operations report every failure themselves, so the handlers
// show nothing of their own; they only refill the list and mark the image where a disk changed.
#include <QFile>

#include "disk/mdos_disk.h"
#include "framework/command_ids.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/file_dialog.h"
#include "image/brindle_doc.h"
#include "list/brindle_view.h"
#include "tape/tape_file.h"
#include "tape/tape_import.h"

namespace {

using framework::CFileDialog;
using framework::IDOK;

constexpr int kFileDialogFlags = framework::OFN_HIDEREADONLY | framework::OFN_OVERWRITEPROMPT;

const QString kAllFilesFilter = QStringLiteral("All files|*.*||");
const QString kTapFilter = QStringLiteral("Tape files (*.tap)|*.tap|All files|*.*||");
const QString kD80Filter = QStringLiteral("D80 disk image files (*.d80)|*.d80|All files|*.*||");
const QString kTapExtension = QStringLiteral(".tap");
const QString kD80Extension = QStringLiteral(".d80");

// Room for the 10-character entry name and its terminator: the default name of an export.
constexpr int kExportNameBufferSize = CMdosDisk::kEntryNameSize + 1;

// The disk operations take host paths as the bytes the operating system expects.
QByteArray HostPath(const QString& path) {
    return QFile::encodeName(path);
}

// Asks for a file to read; empty on Cancel.
QString ChooseFileToOpen(QWidget* parent, const QString& defaultExt, const QString& filter) {
    CFileDialog dialog(true, defaultExt, QString(), kFileDialogFlags, filter, parent);
    return dialog.DoModal() == IDOK ? dialog.GetPathName() : QString();
}

}  // namespace

void CBrindleView::RegisterFileCommands() {
    OnCommand(cmd::kBinaryImport, &CBrindleView::OnBinaryImport,
              &CBrindleView::OnUpdateShownDiskCommand);
    // Always offered: the handlers themselves stop when the list has no rows.
    OnCommand(cmd::kImportTap, &CBrindleView::OnImportTap);
    OnCommand(cmd::kImportD80, &CBrindleView::OnImportD80);
    OnCommand(cmd::kFormat, &CBrindleView::OnFormat, &CBrindleView::OnUpdateShownDiskCommand);
    OnCommand(cmd::kBinaryExport, &CBrindleView::OnBinaryExport,
              &CBrindleView::OnUpdateSelectedFilesCommand);
    OnCommand(cmd::kDeleteFiles, &CBrindleView::OnDeleteFiles,
              &CBrindleView::OnUpdateSelectedFilesCommand);
    OnCommand(cmd::kCopyFiles, &CBrindleView::OnCopyFiles,
              &CBrindleView::OnUpdateSelectedFilesCommand);
    OnCommand(cmd::kMoveFiles, &CBrindleView::OnMoveFiles,
              &CBrindleView::OnUpdateSelectedFilesCommand);
    OnCommand(cmd::kExportFilesTap, &CBrindleView::OnExportFilesTap,
              &CBrindleView::OnUpdateSelectedFilesCommand);
    OnCommand(cmd::kExportFilesD80, &CBrindleView::OnExportFilesD80,
              &CBrindleView::OnUpdateSelectedFilesCommand);
}

// Whatever mode the list is in, it shows one disk: the tree's selected one. The disk-wide
// commands need a row to stand for it, so a disk without files takes them from the tree.
bool CBrindleView::HasShownDiskRows() const {
    return m_shownDisk != nullptr && GetRowCount() > 0;
}

void CBrindleView::OnUpdateShownDiskCommand(framework::CCmdUI* ui) {
    ui->Enable(HasShownDiskRows());
}

// Header, property and dump rows carry no directory entry and are never acted on.
void CBrindleView::OnUpdateSelectedFilesCommand(framework::CCmdUI* ui) {
    ui->Enable(!GetSelectedFiles().empty());
}

std::vector<CBrindleView::SelectedFile> CBrindleView::GetSelectedFiles() const {
    std::vector<SelectedFile> files;
    for (int row : GetSelectedRows()) {
        const std::optional<ItemInfo> info = GetRowItemInfo(row);
        if (info && info->kind == KindFiles && info->dirEntry != nullptr) {
            files.push_back({info->disk, info->diskIndex, info->dirEntry});
        }
    }
    return files;
}

void CBrindleView::MarkModified() {
    if (m_document != nullptr) {
        m_document->SetModifiedFlag(true);
    }
}

void CBrindleView::RefillFiles(CMdosDisk* disk, int diskIndex) {
    ShowFiles(disk, diskIndex);
    MarkModified();
}

// Refilling and marking don't depend on what the import stored (a declined question, a host
// file that did not open): the engine reports nothing back, and the disk's file list is what the
// user expects to see after an import.
void CBrindleView::OnBinaryImport() {
    if (!HasShownDiskRows()) {
        return;
    }
    CFileDialog dialog(true, QString(), QString(), kFileDialogFlags, kAllFilesFilter, this);
    if (dialog.DoModal() != IDOK) {
        return;
    }
    // Entry names are 8-bit text, shown as Latin-1 in the list.
    m_shownDisk->ImportBinary(nullptr, dialog.GetFileTitle().toLatin1().constData(),
                              HostPath(dialog.GetPathName()).constData());
    RefillFiles(m_shownDisk, m_shownDiskIndex);
}

void CBrindleView::OnImportTap() {
    ImportIntoShownDisk(kTapExtension, QString::fromLatin1(tape::TapeOpenFilter()),
                        tape::ImportTapeFile);
}

void CBrindleView::OnImportD80() {
    ImportIntoShownDisk(kD80Extension, kD80Filter,
                        [](CMdosDisk& disk, const char* path) { disk.ImportD80(path); });
}

// The disk's files stay; the file's are added after them.
void CBrindleView::ImportIntoShownDisk(
    const QString& defaultExt, const QString& filter,
    const std::function<void(CMdosDisk& disk, const char* path)>& import) {
    if (!HasShownDiskRows()) {
        return;
    }
    const QString path = ChooseFileToOpen(this, defaultExt, filter);
    if (path.isEmpty()) {
        return;
    }
    import(*m_shownDisk, HostPath(path).constData());
    RefillFiles(m_shownDisk, m_shownDiskIndex);
}

// The dialog's OK is the only confirmation before the disk is wiped.
void CBrindleView::OnFormat() {
    if (!HasShownDiskRows() || !m_questions.format) {
        return;
    }
    const std::optional<VolumeFormat> volume = m_questions.format(this);
    if (!volume) {
        return;
    }
    m_shownDisk->Format(volume->tracks, volume->sectorsPerTrack,
                        volume->name.toLatin1().constData());
    RefillFiles(m_shownDisk, m_shownDiskIndex);
}

// One save dialog per file, in row order; Cancel skips only that file.
void CBrindleView::OnBinaryExport() {
    for (const SelectedFile& file : GetSelectedFiles()) {
        // The offered name keeps a leading blank: only blanks after the first character
        // become underscores, so a name that starts with one stays recognisable.
        char name[kExportNameBufferSize] = {};
        file.disk->GetEntryName(file.dirEntry, name, kExportNameBufferSize);
        CMdosDisk::ReplaceChar(name, kExportNameBufferSize, ' ', '_');
        CFileDialog dialog(false, QString(), QString::fromLatin1(name), kFileDialogFlags,
                           kAllFilesFilter, this);
        if (dialog.DoModal() == IDOK) {
            file.disk->ExportBinary(file.dirEntry, HostPath(dialog.GetPathName()).constData());
        }
    }
}

// No question: the selection is the confirmation. A corrupted chain is reported by RemoveFile
// and the remaining files are still removed.
void CBrindleView::OnDeleteFiles() {
    const std::vector<SelectedFile> files = GetSelectedFiles();
    if (files.empty()) {
        return;
    }
    for (const SelectedFile& file : files) {
        file.disk->RemoveFile(file.dirEntry);
    }
    RefillFiles(files.back().disk, files.back().diskIndex);
}

void CBrindleView::OnCopyFiles() {
    CopyOrMoveFiles(true);
}

void CBrindleView::OnMoveFiles() {
    CopyOrMoveFiles(false);
}

// Stops at the first file the target can't take, or that a move finds on a broken chain; what
// was done before stays done. A copy's new
// entries appear only once the target is shown again, a move refills at once because its
// source entries are gone.
void CBrindleView::CopyOrMoveFiles(bool keepSource) {
    const std::vector<SelectedFile> files = GetSelectedFiles();
    if (files.empty() || !m_questions.targetDisk) {
        return;
    }
    CMdosDisk* target = m_questions.targetDisk(
        this,
        keepSource ? QStringLiteral("Copy files to disk:") : QStringLiteral("Move files to disk:"),
        m_document != nullptr ? &m_document->m_disks : nullptr);
    if (target == nullptr) {
        return;
    }
    const SelectedFile* last = nullptr;
    for (const SelectedFile& file : files) {
        last = &file;
        if (file.disk->CopyFileTo(target, file.dirEntry, keepSource ? 1 : 0) !=
            CMdosDisk::kAddDone) {
            break;
        }
    }
    if (keepSource) {
        MarkModified();
    } else {
        RefillFiles(last->disk, last->diskIndex);
    }
}

void CBrindleView::OnExportFilesTap() {
    ExportSelectedFiles(false);
}

void CBrindleView::OnExportFilesD80() {
    ExportSelectedFiles(true);
}

// The files go out in row order; nothing on the disk changes.
void CBrindleView::ExportSelectedFiles(bool d80) {
    const std::vector<SelectedFile> files = GetSelectedFiles();
    if (files.empty()) {
        return;
    }
    std::vector<unsigned char*> list;
    list.reserve(files.size() + 1);
    for (const SelectedFile& file : files) {
        list.push_back(file.dirEntry);
    }
    list.push_back(nullptr);

    CFileDialog dialog(false, d80 ? kD80Extension : kTapExtension, QString(), kFileDialogFlags,
                       d80 ? kD80Filter : kTapFilter, this);
    if (dialog.DoModal() != IDOK) {
        return;
    }
    const QByteArray path = HostPath(dialog.GetPathName());
    CMdosDisk* disk = files.back().disk;
    if (d80) {
        disk->ExportD80(path.constData(), list.data());
    } else {
        disk->ExportTap(path.constData(), list.data());
    }
}
