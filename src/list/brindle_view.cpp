#include "list/brindle_view.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QStackedLayout>
#include <QTreeView>
#include <algorithm>
#include <set>

#include "disk/mdos_disk.h"
#include "disk/mdos_format.h"
#include "framework/command_ids.h"
#include "framework/widgets/frame_wnd.h"
#include "icons/icons.h"
#include "list/content_list_model.h"

namespace {

using Column = CContentListModel::Column;
using Row = CContentListModel::Row;

const CBrindleView::Layout& FilesLayout() {
    static const CBrindleView::Layout layout{{{QStringLiteral("File"), 100},
                                              {QStringLiteral("Type"), 40},
                                              {QStringLiteral("Start"), 60},
                                              {QStringLiteral("Lenght"), 60},
                                              {QStringLiteral("BASIC"), 60},
                                              {QStringLiteral("Attributes"), 85},
                                              {QStringLiteral("ASCII thumbnail"), 345}},
                                             true};
    return layout;
}

// The record header and the properties share these columns, so switching between them keeps
// the widths the user chose.
const CBrindleView::Layout& FieldsLayout() {
    static const CBrindleView::Layout layout{{{QStringLiteral("Value"), 300},
                                              {QStringLiteral("Name"), 150},
                                              {QStringLiteral("Lenght"), 50}},
                                             false};
    return layout;
}

const CBrindleView::Layout& SectorLayout() {
    static const CBrindleView::Layout layout = [] {
        CBrindleView::Layout dump{{{QStringLiteral("Address"), 65}}, true};
        for (int i = 0; i < 8; ++i) {
            dump.columns.push_back({QStringLiteral("B%1").arg(i), 35});
        }
        dump.columns.push_back({QStringLiteral("ASCII"), 70});
        return dump;
    }();
    return layout;
}

// Text getters of the disk fill these; the file columns share one small buffer, the header
// and property values one large enough for the 475-character comment.
constexpr int kCellBufferSize = 48;
constexpr int kValueBufferSize = 512;

constexpr int kThumbnailLength = 47;
constexpr int kBytesPerDumpRow = 8;
constexpr int kDumpRows = CMdosDisk::kSectorSize / kBytesPerDumpRow;

int FileIcon(unsigned char type) {
    switch (type) {
        case 'P':
            return icons::kListBasic;
        case 'B':
            return icons::kListCode;
        case 'S':
            return icons::kListSnap;
        case 'C':
            return icons::kListCharArray;
        case 'N':
            return icons::kListNumberArray;
        case 'Q':
            return icons::kListSequential;
        case 'H':
            return icons::kListHeadless;
        default:
            return icons::kListUnknownFile;
    }
}

int SectorIcon(int sector) {
    if (sector == CMdosDisk::kBootSector) {
        return icons::kListDisk;
    }
    if (sector >= CMdosDisk::kFirstFatSector && sector < CMdosDisk::kFirstDirSector) {
        return icons::kListFat;
    }
    if (sector >= CMdosDisk::kFirstDirSector && sector < CMdosDisk::kFirstDataSector) {
        return icons::kListDir;
    }
    return icons::kListCog;
}

// The first bytes of the file as text, from its first sector only: the chain is not followed,
// which keeps the list instant and shows enough to recognise a file.
QString Thumbnail(CMdosDisk* disk, unsigned char* entry) {
    const int sector = disk->GetEntryFirstSector(entry);
    if (sector >= CMdosDisk::kSectorCount) {
        return {};
    }
    unsigned char bytes[kCellBufferSize];
    disk->ReadSector(sector, bytes, sizeof bytes);
    const int length = std::min(disk::EntryLength(entry), kThumbnailLength);
    QString text(length, QLatin1Char('.'));
    for (int i = 0; i < length; ++i) {
        if (bytes[i] >= 0x20 && bytes[i] <= 0x7F) {
            text[i] = QLatin1Char(static_cast<char>(bytes[i]));
        }
    }
    return text;
}

QString DumpText(const unsigned char* bytes) {
    QString text(kBytesPerDumpRow, QLatin1Char('.'));
    for (int i = 0; i < kBytesPerDumpRow; ++i) {
        if (bytes[i] >= 0x20 && bytes[i] < 0x80) {
            text[i] = QLatin1Char(static_cast<char>(bytes[i]));
        }
    }
    return text;
}

Row FieldRow(const char* value, const char* name, const QString& length, int icon) {
    return Row{{QString::fromLatin1(value), QString::fromLatin1(name), length}, icon, {}};
}

// Font files don't always declare their pitch (some monospace OpenType faces report
// proportional), so the glyphs themselves decide.
bool IsMonospace(const QFont& font) {
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(QLatin1Char('i')) ==
               metrics.horizontalAdvance(QLatin1Char('W')) &&
           metrics.horizontalAdvance(QLatin1Char('.')) ==
               metrics.horizontalAdvance(QLatin1Char('0'));
}

QFont MakeFixedFont() {
    // Our dumps line up in columns of digits, so only a monospace face will do; where Courier
    // New is missing, fontconfig's substitute or the system's fixed font takes its place.
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::TypeWriter);
    QFont generic(QStringLiteral("monospace"));
    generic.setStyleHint(QFont::Monospace);
    for (QFont font : {courier, QFontDatabase::systemFont(QFontDatabase::FixedFont), generic}) {
        font.setPixelSize(12);
        if (IsMonospace(font)) {
            return font;
        }
    }
    courier.setPixelSize(12);
    return courier;
}

}  // namespace

CBrindleView::CBrindleView(QWidget* parent)
    : QWidget(parent),
      m_model(new CContentListModel(this)),
      m_stack(new QStackedLayout(this)),
      m_details(new QTreeView(this)),
      m_icons(new QListView(this)) {
    // A file or the volume renamed in place is a change of the image like any other.
    connect(m_model, &CContentListModel::NameChanged, this, [this] { MarkModified(); });
    m_details->setModel(m_model);
    m_details->setRootIsDecorated(false);
    m_details->setItemsExpandable(false);
    m_details->setUniformRowHeights(true);
    m_details->setAllColumnsShowFocus(true);
    m_details->header()->setStretchLastSection(false);
    m_details->header()->setSectionsClickable(false);
    m_details->setIconSize(QSize(icons::kSmallIconSize, icons::kSmallIconSize));

    m_icons->setModel(m_model);
    QItemSelectionModel* ownSelection = m_icons->selectionModel();
    m_icons->setSelectionModel(m_details->selectionModel());
    delete ownSelection;
    // The enable rules of the file commands follow the selected rows.
    connect(m_details->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { framework::RequestCommandUpdate(this); });
    m_icons->setResizeMode(QListView::Adjust);
    m_icons->setWrapping(true);
    m_icons->setUniformItemSizes(true);

    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_details), static_cast<QAbstractItemView*>(m_icons)}) {
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::SelectedClicked |
                              QAbstractItemView::EditKeyPressed);
        m_stack->addWidget(view);
        connect(view, &QAbstractItemView::doubleClicked, this,
                [this](const QModelIndex& index) { ActivateRow(index.row()); });
        view->installEventFilter(this);
    }
    m_stack->setContentsMargins(0, 0, 0, 0);
    SetListStyle(ListStyle::Details);

    OnCommand(cmd::kEditLabel, &CBrindleView::OnEditLabel, &CBrindleView::OnUpdateEditLabel);
    RegisterFileCommands();
}

CBrindleView::~CBrindleView() = default;

void CBrindleView::OnInitialUpdate() {
    ClearList();
    // Every new or opened image starts in the details style, whatever the last one showed.
    SetListStyle(ListStyle::Details);
    EnsureFonts();
    SetListFont(*m_fixedFont);
}

void CBrindleView::EnsureFonts() {
    if (!m_fixedFont) {
        m_fixedFont = MakeFixedFont();
    }
    if (!m_normalFont) {
        m_normalFont = m_details->font();
    }
}

void CBrindleView::SetListFont(const QFont& font) {
    m_details->setFont(font);
    m_icons->setFont(font);
}

int CBrindleView::FilesColumnsWidth() {
    int width = 0;
    for (const Column& column : FilesLayout().columns) {
        width += column.width;
    }
    return width;
}

void CBrindleView::PrepareColumns(const Layout& layout) {
    ClearList();
    if (m_model->columnCount() == static_cast<int>(layout.columns.size())) {
        return;
    }
    EnsureFonts();
    SetListFont(layout.fixedFont ? *m_fixedFont : *m_normalFont);
    m_model->SetColumns(layout.columns);
    for (int i = 0; i < static_cast<int>(layout.columns.size()); ++i) {
        m_details->header()->resizeSection(i, layout.columns[static_cast<size_t>(i)].width);
    }
}

void CBrindleView::ClearList() {
    m_model->ClearRows();
    m_shownDisk = nullptr;
    m_shownDiskIndex = 0;
}

void CBrindleView::ShowFiles(CMdosDisk* disk, int diskIndex) {
    PrepareColumns(FilesLayout());
    m_shownDisk = disk;
    m_shownDiskIndex = diskIndex;
    std::vector<Row> rows;
    unsigned char* cursor = disk->FirstDirEntry();
    for (unsigned char* entry = cursor; entry != nullptr; entry = disk->NextDirEntry(&cursor)) {
        if (entry[CMdosDisk::kEntryType] == CMdosDisk::kFreeEntry) {
            continue;
        }
        char cell[kCellBufferSize];
        Row row;
        row.icon = FileIcon(entry[CMdosDisk::kEntryType]);
        row.info = ItemInfo{diskIndex, KindFiles, disk, entry, 0, 0};
        row.cells << QString::fromLatin1(disk->GetEntryName(entry, cell, sizeof cell))
                  << QString::fromLatin1(disk->GetEntryType(entry, cell, sizeof cell))
                  << QString::fromLatin1(disk->GetEntryStartText(entry, cell, sizeof cell))
                  << QString::fromLatin1(disk->GetEntryLengthText(entry, cell, sizeof cell))
                  << QString::fromLatin1(disk->GetEntryBasicText(entry, cell, sizeof cell))
                  << QString::fromLatin1(disk->GetEntryAttributesText(entry, cell, sizeof cell))
                  << Thumbnail(disk, entry);
        rows.push_back(std::move(row));
    }
    m_model->AppendRows(std::move(rows));
}

void CBrindleView::ShowRecordHeader(CMdosDisk* disk, int diskIndex) {
    PrepareColumns(FieldsLayout());
    m_shownDisk = disk;
    m_shownDiskIndex = diskIndex;
    char value[kValueBufferSize];
    std::vector<Row> rows;
    rows.push_back(FieldRow(disk->GetSystemMark(value, sizeof value), "System mark",
                            QString::number(CMdosDisk::kSystemMarkSize), icons::kListDisk));
    rows.push_back(FieldRow(disk->GetWriteProtect(value, sizeof value), "Write protect",
                            QString::number(CMdosDisk::kWriteProtectSize), icons::kListDisk));
    rows.push_back(FieldRow(disk->GetComment(value, sizeof value), "Free space",
                            QString::number(CMdosDisk::kCommentSize), icons::kListDisk));
    m_model->AppendRows(std::move(rows));
}

void CBrindleView::ShowProperties(CMdosDisk* disk, int diskIndex) {
    PrepareColumns(FieldsLayout());
    m_shownDisk = disk;
    m_shownDiskIndex = diskIndex;
    char value[kValueBufferSize];
    std::vector<Row> rows;
    // The stored rows give the width of their boot-sector field; computed rows have none.
    rows.push_back(FieldRow(disk->GetGeometryText(value, sizeof value), "Disk geometry",
                            QStringLiteral("2"), icons::kListDisk));
    rows.push_back(FieldRow(disk->GetVolumeName(value, sizeof value), "Disk name",
                            QString::number(CMdosDisk::kVolumeNameSize), icons::kListDisk));
    rows.back().info = ItemInfo{diskIndex, KindProperties, disk, nullptr, 0, 0};
    rows.push_back(FieldRow(disk->GetRandomIdText(value, sizeof value), "Random identifier",
                            QStringLiteral("2"), icons::kListDisk));
    rows.push_back(
        FieldRow(disk->GetDiskSizeText(value, sizeof value), "Disk size", {}, icons::kListCog));
    rows.push_back(
        FieldRow(disk->GetFilesSizeText(value, sizeof value), "Files size", {}, icons::kListCog));
    rows.push_back(
        FieldRow(disk->GetFilesCountText(value, sizeof value), "Files count", {}, icons::kListCog));
    rows.push_back(
        FieldRow(disk->GetFreeFilesText(value, sizeof value), "Free files", {}, icons::kListCog));
    rows.push_back(
        FieldRow(disk->GetFreeSpaceText(value, sizeof value), "Free space", {}, icons::kListCog));
    m_model->AppendRows(std::move(rows));
}

void CBrindleView::ShowSector(CMdosDisk* disk, int diskIndex, int sector) {
    PrepareColumns(SectorLayout());
    m_shownDisk = disk;
    m_shownDiskIndex = diskIndex;
    const unsigned char* bytes = disk->GetSector(sector);
    std::vector<Row> rows;
    rows.reserve(kDumpRows);
    for (int r = 0; r < kDumpRows; ++r) {
        const int offset = r * kBytesPerDumpRow;
        Row row;
        row.icon = SectorIcon(sector);
        row.info = ItemInfo{diskIndex, KindSector, disk, nullptr, sector, offset};
        row.cells << QString::asprintf("%.03d", offset);
        for (int k = 0; k < kBytesPerDumpRow; ++k) {
            row.cells << QString::asprintf("%.03d", bytes[offset + k]);
        }
        row.cells << DumpText(bytes + offset);
        rows.push_back(std::move(row));
    }
    m_model->AppendRows(std::move(rows));
}

void CBrindleView::ShowItem(const std::optional<ItemInfo>& item) {
    if (!item) {
        ClearList();
        return;
    }
    switch (item->kind) {
        case KindFiles:
            ShowFiles(item->disk, item->diskIndex);
            break;
        case KindRecordHeader:
            ShowRecordHeader(item->disk, item->diskIndex);
            break;
        case KindProperties:
            ShowProperties(item->disk, item->diskIndex);
            break;
        case KindSector:
            ShowSector(item->disk, item->diskIndex, item->sector);
            break;
        default:
            break;
    }
}

int CBrindleView::GetRowCount() const {
    return m_model->rowCount();
}

std::optional<ItemInfo> CBrindleView::GetRowItemInfo(int row) const {
    if (row < 0 || row >= m_model->rowCount()) {
        return std::nullopt;
    }
    return m_model->RowAt(row).info;
}

std::vector<int> CBrindleView::GetSelectedRows() const {
    std::set<int> rows;
    for (const QModelIndex& index : m_details->selectionModel()->selectedIndexes()) {
        rows.insert(index.row());
    }
    return {rows.begin(), rows.end()};
}

void CBrindleView::SelectRows(const std::vector<int>& rows) {
    QItemSelectionModel* selection = m_details->selectionModel();
    selection->clearSelection();
    for (int row : rows) {
        selection->select(m_model->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    if (!rows.empty()) {
        selection->setCurrentIndex(m_model->index(rows.front(), 0), QItemSelectionModel::NoUpdate);
    }
}

void CBrindleView::EditLabel(int row) {
    if (!m_model->IsRowEditable(row)) {
        return;
    }
    auto* view = static_cast<QAbstractItemView*>(m_stack->currentWidget());
    const QModelIndex index = m_model->index(row, 0);
    view->scrollTo(index);
    view->edit(index);
}

bool CBrindleView::eventFilter(QObject* watched, QEvent* event) {
    // The views' own Enter handling would signal activated, which some styles also send on a
    // single click; a viewer opens on Enter and on a double click only.
    if (event->type() == QEvent::KeyPress && (watched == m_details || watched == m_icons)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // The keypad's Enter comes with the keypad modifier.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            ActivateRow(m_details->selectionModel()->currentIndex().row());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CBrindleView::ActivateRow(int row) {
    const std::optional<ItemInfo> info = GetRowItemInfo(row);
    if (info && info->kind == KindFiles && info->dirEntry != nullptr) {
        emit FileActivated(*info);
    }
}

void CBrindleView::OnEditLabel() {
    const std::vector<int> rows = GetSelectedRows();
    if (!rows.empty()) {
        EditLabel(rows.front());
    }
}

void CBrindleView::OnUpdateEditLabel(framework::CCmdUI* ui) {
    const std::vector<int> rows = GetSelectedRows();
    ui->Enable(rows.empty() || m_model->IsRowEditable(rows.front()));
}

void CBrindleView::SetListStyle(ListStyle style) {
    m_style = style;
    const bool hadFocus =
        m_stack->currentWidget() != nullptr && m_stack->currentWidget()->hasFocus();
    if (style == ListStyle::Details) {
        m_model->SetLargeIcons(false);
        m_stack->setCurrentWidget(m_details);
    } else {
        const bool large = style == ListStyle::LargeIcon;
        m_model->SetLargeIcons(large);
        const int iconSize = large ? icons::kLargeIconSize : icons::kSmallIconSize;
        m_icons->setIconSize(QSize(iconSize, iconSize));
        m_icons->setViewMode(large ? QListView::IconMode : QListView::ListMode);
        // Icon styles fill rows from left to right; the list style fills columns downwards.
        m_icons->setFlow(style == ListStyle::List ? QListView::TopToBottom
                                                  : QListView::LeftToRight);
        m_icons->setWrapping(true);
        m_icons->setMovement(QListView::Static);
        m_icons->setWordWrap(large);
        // Large icons stand in cells wide enough for a ten-character name under the picture.
        m_icons->setGridSize(large ? QSize(84, 64) : QSize());
        m_stack->setCurrentWidget(m_icons);
    }
    setFocusProxy(m_stack->currentWidget());
    if (hadFocus) {
        m_stack->currentWidget()->setFocus();
    }
}

void CBrindleView::ArrangeIcons() {
    if (m_style == ListStyle::LargeIcon || m_style == ListStyle::SmallIcon) {
        m_icons->doItemsLayout();
    }
}
