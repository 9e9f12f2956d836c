#include "list/content_list_model.h"

#include "disk/mdos_disk.h"
#include "icons/icons.h"

namespace {

// The volume name is the label of the properties' second row, the only editable one there.
constexpr int kVolumeNameRow = 1;
// Names are re-read into a buffer this size after a rename, as the disk stored them.
constexpr int kRenameBufferSize = 16;

}  // namespace

CContentListModel::CContentListModel(QObject* parent) : QAbstractTableModel(parent) {
    for (int i = 0; i < icons::kListIconCount; ++i) {
        m_smallIcons.emplace_back(icons::ListIcon(i, false));
        m_largeIcons.emplace_back(icons::ListIcon(i, true));
    }
}

bool CContentListModel::IsRowIndex(const QModelIndex& index) const {
    return index.isValid() && index.model() == this && index.row() < rowCount() &&
           index.column() < columnCount();
}

int CContentListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CContentListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant CContentListModel::data(const QModelIndex& index, int role) const {
    if (!IsRowIndex(index)) {
        return {};
    }
    const Row& row = RowAt(index.row());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return index.column() < row.cells.size() ? row.cells[index.column()] : QString();
        case Qt::DecorationRole:
            if (index.column() == 0) {
                return (m_large ? m_largeIcons : m_smallIcons)[static_cast<size_t>(row.icon)];
            }
            return {};
        default:
            return {};
    }
}

QVariant CContentListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return m_columns[static_cast<size_t>(section)].title;
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

Qt::ItemFlags CContentListModel::flags(const QModelIndex& index) const {
    if (!IsRowIndex(index)) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0 && IsRowEditable(index.row())) {
        result |= Qt::ItemIsEditable;
    }
    return result;
}

bool CContentListModel::IsRowEditable(int row) const {
    if (row < 0 || row >= rowCount()) {
        return false;
    }
    const std::optional<ItemInfo>& info = RowAt(row).info;
    if (!info) {
        return false;
    }
    return info->kind == KindFiles || (info->kind == KindProperties && row == kVolumeNameRow);
}

bool CContentListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !IsRowIndex(index) || index.column() != 0 ||
        !IsRowEditable(index.row())) {
        return false;
    }
    Row& row = m_rows[static_cast<size_t>(index.row())];
    const ItemInfo& info = *row.info;
    const QByteArray text = value.toString().toLatin1();
    char stored[kRenameBufferSize];
    // Both names are 10 stored bytes; only a change of those bytes changes the image.
    const unsigned char* field =
        info.kind == KindFiles
            ? info.dirEntry + CMdosDisk::kEntryName
            : info.disk->GetSector(CMdosDisk::kBootSector) + CMdosDisk::kBootVolumeName;
    static_assert(CMdosDisk::kEntryNameSize == CMdosDisk::kVolumeNameSize);
    const QByteArray before(reinterpret_cast<const char*>(field), CMdosDisk::kEntryNameSize);
    if (info.kind == KindFiles) {
        info.disk->SetEntryName(info.dirEntry, text.constData());
        info.disk->GetEntryName(info.dirEntry, stored, sizeof stored);
    } else {
        info.disk->SetVolumeName(text.constData());
        info.disk->GetVolumeName(stored, sizeof stored);
    }
    row.cells[0] = QString::fromLatin1(stored);
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    if (before !=
        QByteArray::fromRawData(reinterpret_cast<const char*>(field), CMdosDisk::kEntryNameSize)) {
        emit NameChanged();
    }
    return true;
}

void CContentListModel::SetColumns(std::vector<Column> columns) {
    beginResetModel();
    m_rows.clear();
    m_columns = std::move(columns);
    endResetModel();
}

void CContentListModel::ClearRows() {
    if (m_rows.empty()) {
        return;
    }
    beginRemoveRows({}, 0, rowCount() - 1);
    m_rows.clear();
    endRemoveRows();
}

void CContentListModel::AppendRows(std::vector<Row> rows) {
    if (rows.empty()) {
        return;
    }
    beginInsertRows({}, rowCount(), rowCount() + static_cast<int>(rows.size()) - 1);
    for (Row& row : rows) {
        m_rows.push_back(std::move(row));
    }
    endInsertRows();
}

void CContentListModel::SetLargeIcons(bool large) {
    if (large == m_large) {
        return;
    }
    m_large = large;
    if (!m_rows.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
    }
}
