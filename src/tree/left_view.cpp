#include "tree/left_view.h"

#include <QFile>
#include <QFontMetrics>
#include <QHeaderView>
#include <algorithm>
#include <memory>
#include <new>
#include <string>

#include "framework/command_ids.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/file_dialog.h"
#include "framework/widgets/frame_wnd.h"
#include "icons/icons.h"
#include "image/brindle_doc.h"
#include "tape/tape_file.h"
#include "tape/tape_import.h"
#include "tree/disk_tree_model.h"

namespace {

constexpr int kFileDialogFlags = framework::OFN_HIDEREADONLY | framework::OFN_OVERWRITEPROMPT;
constexpr char kAllFilesFilter[] = "All files|*.*||";
constexpr char kTapFilter[] = "Tape files (*.tap)|*.tap|All files|*.*||";
constexpr char kD80Filter[] = "D80 disk image files (*.d80)|*.d80|All files|*.*||";
constexpr char kTapExtension[] = ".tap";
constexpr char kD80Extension[] = ".d80";

// A disk name of 32 characters and its terminator.
constexpr int kDiskNameBufferSize = CMdosDisk::kDiskNameSize + 1;
// Proposed export names keep to the length of a disk name, extension included.
constexpr std::size_t kExportNameLength = CMdosDisk::kDiskNameSize;

// The disk engine takes host paths as the bytes the operating system uses.
QByteArray HostPath(const framework::CFileDialog& dialog) {
    return QFile::encodeName(dialog.GetPathName());
}

// The proposed name of an exported disk: its name with every blank after the first character
// made an underscore (a leading blank stays), then the extension, all cut to 32 characters, so
// that a long disk name loses part or all of its extension.
QString ExportName(CMdosDisk& disk, const char* extension) {
    char name[kDiskNameBufferSize] = {};
    disk.GetDiskName(name, sizeof name);
    CMdosDisk::ReplaceChar(name, sizeof name, ' ', '_');
    std::string text = name;
    text += extension;
    if (text.size() > kExportNameLength) {
        text.resize(kExportNameLength);
    }
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Disk 0 is the image's first record, the boot disk of a new image: it never goes.
bool IsRemovable(const std::optional<ItemInfo>& info) {
    return info && info->kind == KindFiles && info->diskIndex != 0;
}

}  // namespace

CLeftView::CLeftView(QWidget* parent) : QTreeView(parent), m_model(new CDiskTreeModel(this)) {
    setModel(m_model);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    // Every sector item has the same height; without this the view measures 1692 rows each
    // time a volume opens.
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setIconSize(QSize(icons::kSmallIconSize, icons::kSmallIconSize));
    // Labels are never cut short: a narrow pane scrolls sideways like a tree control does.
    header()->setStretchLastSection(false);

    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { OnSelChanged(current); });
    connect(this, &QTreeView::collapsed, this, &CLeftView::OnItemCollapsed);
    // The column follows what is shown: no scroll bar for labels that are folded away.
    connect(this, &QTreeView::expanded, this, &CLeftView::FitColumnToLabels);
    connect(this, &QTreeView::collapsed, this, &CLeftView::FitColumnToLabels);
    connect(m_model, &CDiskTreeModel::DiskRenamed, this, [this] {
        FitColumnToLabels();
        if (m_document != nullptr) {
            m_document->SetModifiedFlag(true);
        }
    });

    OnCommand(cmd::kEditLabel, &CLeftView::OnEditLabel, &CLeftView::OnUpdateEditLabel);
    OnCommand(cmd::kAddNew, &CLeftView::OnAddNew);
    OnCommand(cmd::kAddMore, &CLeftView::OnAddMore);
    OnCommand(cmd::kAddFromFile, &CLeftView::OnAddFromFile);
    OnCommand(cmd::kRemoveDisk, &CLeftView::OnRemove, &CLeftView::OnUpdateRemove);
    OnCommand(cmd::kReplaceWithFile, &CLeftView::OnReplaceWithFile,
              &CLeftView::OnUpdateSelectedDisk);
    OnCommand(cmd::kExportToFile, &CLeftView::OnExportToFile, &CLeftView::OnUpdateSelectedDisk);
    OnCommand(cmd::kReplaceWithTap, &CLeftView::OnReplaceWithTap, &CLeftView::OnUpdateSelectedDisk);
    OnCommand(cmd::kImportTap, &CLeftView::OnImportTap, &CLeftView::OnUpdateSelectedDisk);
    OnCommand(cmd::kExportDiskTap, &CLeftView::OnExportTap, &CLeftView::OnUpdateSelectedDisk);
    OnCommand(cmd::kReplaceWithD80, &CLeftView::OnReplaceWithD80, &CLeftView::OnUpdateSelectedDisk);
    OnCommand(cmd::kImportD80, &CLeftView::OnImportD80, &CLeftView::OnUpdateSelectedDisk);
    OnCommand(cmd::kExportDiskD80, &CLeftView::OnExportD80, &CLeftView::OnUpdateSelectedDisk);
    OnCommand(cmd::kFormat, &CLeftView::OnFormat, &CLeftView::OnUpdateSelectedDisk);
    OnCommand(cmd::kBinaryImport, &CLeftView::OnBinaryImport, &CLeftView::OnUpdateSelectedDisk);
}

CLeftView::~CLeftView() = default;

void CLeftView::OnInitialUpdate() {
    SelectItem(BuildDiskItems(0, true));
}

QModelIndex CLeftView::BuildDiskItems(int firstDisk, bool clearFirst) {
    if (clearFirst) {
        ClearTree();
    }
    if (m_document == nullptr) {
        return {};
    }
    std::vector<CMdosDisk*> disks;
    m_document->ReadHeaders(static_cast<std::size_t>(std::max(firstDisk, 0)));
    const int count = static_cast<int>(m_document->m_disks.size());
    for (int i = std::max(firstDisk, 0); i < count; ++i) {
        disks.push_back(m_document->m_disks[static_cast<size_t>(i)].get());
    }
    const QModelIndex first = m_model->AppendDisks(disks, std::max(firstDisk, 0));
    FitColumnToLabels();
    return first;
}

void CLeftView::FitColumnToLabels() {
    // Worked out from the labels rather than measured by the header: measuring walks up to a
    // thousand rows on every expansion, which makes opening volumes of big images crawl. The
    // widest label of each level that is shown is found by its text, then measured by the
    // delegate as drawn (icon, margins and text), so no label is ever cut. Child labels are
    // fixed; a tree folded to its disks shows no scroll bar for the sector labels it hides.
    const QFontMetrics metrics(font());
    const auto need = [&](int depth, const QModelIndex& index) {
        return index.isValid() ? indentation() * (depth + 1) + sizeHintForIndex(index).width() : 0;
    };
    int widestText = -1;
    QModelIndex widestDisk;
    bool disksOpen = false;
    bool areasOpen = false;
    for (int row = 0; row < DiskItemCount(); ++row) {
        const QModelIndex disk = DiskItem(row);
        const int text = metrics.horizontalAdvance(disk.data(Qt::DisplayRole).toString());
        if (text > widestText) {
            widestText = text;
            widestDisk = disk;
        }
        if (isExpanded(disk)) {
            disksOpen = true;
            for (int child = 0; child < m_model->rowCount(disk); ++child) {
                areasOpen = areasOpen || isExpanded(m_model->index(child, 0, disk));
            }
        }
    }
    int widest = need(0, widestDisk);
    const QModelIndex first = DiskItem(0);
    if (disksOpen && first.isValid()) {
        for (int child = 0; child < m_model->rowCount(first); ++child) {
            widest = std::max(widest, need(1, m_model->index(child, 0, first)));
        }
    }
    for (int child = 0; areasOpen && child < m_model->rowCount(first); ++child) {
        const QModelIndex area = m_model->index(child, 0, first);
        for (const int sector : {0, 5, 13, CMdosDisk::kSectorCount - 1}) {
            if (sector < m_model->rowCount(area)) {
                widest = std::max(widest, need(2, m_model->index(sector, 0, area)));
            }
        }
    }
    header()->resizeSection(0, widest);
}

void CLeftView::DeleteItemAndInfo(const QModelIndex& diskItem) {
    const std::optional<ItemInfo> info = ItemInfoAt(diskItem);
    if (!info || info->kind != KindFiles) {
        return;
    }
    // The view picks a neighbour only when the selected item itself goes, not one of its
    // descendants; so the selection first climbs to the disk item, without showing it, since
    // its disk may already be gone from the document.
    const int row = diskItem.row();
    if (m_model->DiskRowOf(currentIndex()) == row && currentIndex() != diskItem) {
        m_bQuiet = true;
        SelectItem(diskItem);
        m_bQuiet = false;
    }
    m_model->RemoveDisk(row);
}

void CLeftView::ClearTree() {
    m_model->Clear();
    emit ItemSelected(std::nullopt);
}

void CLeftView::ShiftDiskIndex(const QModelIndex& item, int delta) {
    m_model->ShiftDiskIndex(m_model->DiskRowOf(item), delta);
}

void CLeftView::Reselect() {
    const QModelIndex item = currentIndex();
    if (!item.isValid()) {
        return;
    }
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
    SelectItem(item);
}

std::optional<ItemInfo> CLeftView::ItemInfoAt(const QModelIndex& item) const {
    return m_model->ItemInfoAt(item);
}

std::optional<ItemInfo> CLeftView::SelectedItemInfo() const {
    return ItemInfoAt(currentIndex());
}

void CLeftView::SelectItem(const QModelIndex& item) {
    selectionModel()->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
    if (item.isValid()) {
        scrollTo(item);
    }
}

int CLeftView::DiskItemCount() const {
    return m_model->rowCount();
}

QModelIndex CLeftView::DiskItem(int row) const {
    return m_model->index(row, 0);
}

void CLeftView::OnSelChanged(const QModelIndex& current) {
    // The enable rules of the disk commands follow the selected item.
    framework::RequestCommandUpdate(this);
    if (!m_bQuiet) {
        emit ItemSelected(ItemInfoAt(current));
    }
}

// A selection hidden inside a collapsed item climbs to that item, which the list then shows.
void CLeftView::OnItemCollapsed(const QModelIndex& item) {
    for (QModelIndex above = currentIndex().parent(); above.isValid(); above = above.parent()) {
        if (above == item) {
            SelectItem(item);
            return;
        }
    }
}

void CLeftView::OnEditLabel() {
    const QModelIndex item = currentIndex();
    if (m_model->flags(item).testFlag(Qt::ItemIsEditable)) {
        scrollTo(item);
        edit(item);
    }
}

void CLeftView::OnUpdateEditLabel(framework::CCmdUI* ui) {
    const std::optional<ItemInfo> info = SelectedItemInfo();
    ui->Enable(info && info->kind == KindFiles);
}

void CLeftView::OnAddNew() {
    if (m_document == nullptr) {
        return;
    }
    const int firstNew = static_cast<int>(m_document->m_disks.size());
    m_document->AddStandardDisks(1);
    ShowAddedDisks(firstNew);
}

void CLeftView::OnAddMore() {
    if (m_document == nullptr || !m_questions.newDisks) {
        return;
    }
    const std::optional<NewDisks> answer = m_questions.newDisks(this);
    if (!answer) {
        return;
    }
    const int firstNew = static_cast<int>(m_document->m_disks.size());
    if (const std::optional<VolumeFormat>& volume = answer->format) {
        m_document->AddFormattedDisks(answer->count, volume->tracks, volume->sectorsPerTrack,
                                      volume->name);
    } else {
        m_document->AddDisksFromFile(answer->count, answer->templateFile);
    }
    ShowAddedDisks(firstNew);
}

void CLeftView::OnAddFromFile() {
    if (m_document == nullptr) {
        return;
    }
    framework::CFileDialog dialog(true, QString(), QString(), kFileDialogFlags,
                                  QString::fromLatin1(kAllFilesFilter), this);
    if (dialog.DoModal() != framework::IDOK) {
        return;
    }
    const int firstNew = static_cast<int>(m_document->m_disks.size());
    // A new disk is zero-filled, so what a missing or short file doesn't reach stays zero; the
    // disk is appended whatever the load found.
    std::unique_ptr<CMdosDisk> disk = disk::TryNewDisk();
    if (!disk) {
        return;
    }
    disk->LoadRecord(HostPath(dialog).constData());
    try {
        m_document->m_disks.push_back(std::move(disk));
    } catch (const std::bad_alloc&) {
        return;
    }
    ShowAddedDisks(firstNew);
}

void CLeftView::OnRemove() {
    const QModelIndex item = currentIndex();
    const std::optional<ItemInfo> info = ItemInfoAt(item);
    if (m_document == nullptr || !IsRemovable(info)) {
        return;
    }
    m_document->RemoveDisk(info->diskIndex);
    for (int row = item.row() + 1; row < DiskItemCount(); ++row) {
        ShiftDiskIndex(DiskItem(row), -1);
    }
    DeleteItemAndInfo(item);
    m_document->SetModifiedFlag(true);
}

void CLeftView::OnUpdateRemove(framework::CCmdUI* ui) {
    ui->Enable(IsRemovable(SelectedItemInfo()));
}

void CLeftView::OnReplaceWithFile() {
    ChangeSelectedDisk(QString(), QString::fromLatin1(kAllFilesFilter),
                       [](CMdosDisk& disk, const framework::CFileDialog& dialog) {
                           disk.LoadRecord(HostPath(dialog).constData());
                       });
}

void CLeftView::OnExportToFile() {
    ExportSelectedDisk(
        "", QString::fromLatin1(kAllFilesFilter),
        [](CMdosDisk& disk, const QByteArray& path) { disk.SaveRecord(path.constData()); });
}

// Both take a tape of any format; a plain TAP goes through the engine exactly as ever.
void CLeftView::OnReplaceWithTap() {
    ChangeSelectedDisk(QString::fromLatin1(kTapExtension),
                       QString::fromLatin1(tape::TapeOpenFilter()),
                       [](CMdosDisk& disk, const framework::CFileDialog& dialog) {
                           tape::ReplaceWithTapeFile(disk, HostPath(dialog).constData());
                       });
}

void CLeftView::OnImportTap() {
    ChangeSelectedDisk(QString::fromLatin1(kTapExtension),
                       QString::fromLatin1(tape::TapeOpenFilter()),
                       [](CMdosDisk& disk, const framework::CFileDialog& dialog) {
                           tape::ImportTapeFile(disk, HostPath(dialog).constData());
                       });
}

void CLeftView::OnExportTap() {
    ExportSelectedDisk(
        kTapExtension, QString::fromLatin1(kTapFilter),
        [](CMdosDisk& disk, const QByteArray& path) { disk.ExportTap(path.constData(), nullptr); });
}

void CLeftView::OnReplaceWithD80() {
    ChangeSelectedDisk(QString::fromLatin1(kD80Extension), QString::fromLatin1(kD80Filter),
                       [](CMdosDisk& disk, const framework::CFileDialog& dialog) {
                           disk.LoadRawImage(HostPath(dialog).constData());
                       });
}

void CLeftView::OnImportD80() {
    ChangeSelectedDisk(QString::fromLatin1(kD80Extension), QString::fromLatin1(kD80Filter),
                       [](CMdosDisk& disk, const framework::CFileDialog& dialog) {
                           disk.ImportD80(HostPath(dialog).constData());
                       });
}

void CLeftView::OnExportD80() {
    ExportSelectedDisk(
        kD80Extension, QString::fromLatin1(kD80Filter),
        [](CMdosDisk& disk, const QByteArray& path) { disk.ExportD80(path.constData(), nullptr); });
}

void CLeftView::OnFormat() {
    CMdosDisk* disk = SelectedDisk();
    if (disk == nullptr || !m_questions.format) {
        return;
    }
    const std::optional<VolumeFormat> volume = m_questions.format(this);
    if (!volume) {
        return;
    }
    disk->Format(volume->tracks, volume->sectorsPerTrack, volume->name.toLatin1().constData());
    ShowChangedDisk();
}

void CLeftView::OnBinaryImport() {
    ChangeSelectedDisk(QString(), QString::fromLatin1(kAllFilesFilter),
                       [](CMdosDisk& disk, const framework::CFileDialog& dialog) {
                           disk.ImportBinary(nullptr, dialog.GetFileTitle().toLatin1().constData(),
                                             HostPath(dialog).constData());
                       });
}

void CLeftView::OnUpdateSelectedDisk(framework::CCmdUI* ui) {
    ui->Enable(SelectedDisk() != nullptr);
}

CMdosDisk* CLeftView::SelectedDisk() const {
    const std::optional<ItemInfo> info = SelectedItemInfo();
    return info ? info->disk : nullptr;
}

void CLeftView::ShowAddedDisks(int firstNew) {
    // An add that appended nothing (no disks asked for, or no memory for the first) is no
    // change: the selection stays and the image keeps its state.
    if (static_cast<int>(m_document->m_disks.size()) <= firstNew) {
        return;
    }
    SelectItem(BuildDiskItems(firstNew, false));
    m_document->SetModifiedFlag(true);
}

void CLeftView::ShowChangedDisk() {
    Reselect();
    if (m_document != nullptr) {
        m_document->SetModifiedFlag(true);
    }
}

void CLeftView::ChangeSelectedDisk(
    const QString& defaultExt, const QString& filter,
    const std::function<void(CMdosDisk&, const framework::CFileDialog&)>& operation) {
    CMdosDisk* disk = SelectedDisk();
    if (disk == nullptr) {
        return;
    }
    framework::CFileDialog dialog(true, defaultExt, QString(), kFileDialogFlags, filter, this);
    if (dialog.DoModal() != framework::IDOK) {
        return;
    }
    // The operations report their own failures; a file that can't be read still counts as a
    // change, as the disk may have been formatted or partly filled before it stopped.
    operation(*disk, dialog);
    ShowChangedDisk();
}

void CLeftView::ExportSelectedDisk(
    const char* extension, const QString& filter,
    const std::function<void(CMdosDisk&, const QByteArray&)>& operation) {
    CMdosDisk* disk = SelectedDisk();
    if (disk == nullptr) {
        return;
    }
    framework::CFileDialog dialog(false, QString::fromLatin1(extension),
                                  ExportName(*disk, extension), kFileDialogFlags, filter, this);
    if (dialog.DoModal() != framework::IDOK) {
        return;
    }
    operation(*disk, HostPath(dialog));
}
