#include "tree/disk_tree_model.h"

#include <algorithm>

#include "disk/mdos_disk.h"
#include "icons/icons.h"

namespace {

// Internal id: key above kind above sector. 1692 sectors need 11 bits, four kinds 2 bits.
constexpr int kSectorBits = 11;
constexpr int kKindBits = 2;
constexpr quintptr kSectorMask = (quintptr{1} << kSectorBits) - 1;
constexpr quintptr kKindMask = (quintptr{1} << kKindBits) - 1;
static_assert(sizeof(quintptr) >= 8, "disk keys need a 64-bit internal id");
static_assert(CMdosDisk::kSectorCount <= (1 << kSectorBits));

// The children of a disk item, in display order.
constexpr int kRecordHeaderRow = 0;
constexpr int kPropertiesRow = 1;
constexpr int kDiskChildCount = 2;

// Labels are read into a buffer of this size, long enough for any name.
constexpr int kLabelBufferSize = 512;

}  // namespace

CDiskTreeModel::CDiskTreeModel(QObject* parent) : QAbstractItemModel(parent) {
    for (int i = 0; i < icons::kTreeIconCount; ++i) {
        m_icons.emplace_back(icons::TreeIcon(i));
    }
}

quintptr CDiskTreeModel::Encode(quint64 key, int kind, int sector) {
    return (static_cast<quintptr>(key) << (kKindBits + kSectorBits)) |
           (static_cast<quintptr>(kind) << kSectorBits) | static_cast<quintptr>(sector);
}

CDiskTreeModel::Id CDiskTreeModel::Decode(quintptr id) {
    return Id{static_cast<quint64>(id >> (kKindBits + kSectorBits)),
              static_cast<int>((id >> kSectorBits) & kKindMask),
              static_cast<int>(id & kSectorMask)};
}

int CDiskTreeModel::RowOfKey(quint64 key) const {
    const auto it = std::lower_bound(m_disks.begin(), m_disks.end(), key,
                                     [](const Disk& disk, quint64 k) { return disk.key < k; });
    if (it == m_disks.end() || it->key != key) {
        return -1;
    }
    return static_cast<int>(it - m_disks.begin());
}

QModelIndex CDiskTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0 || row >= rowCount(parent)) {
        return {};
    }
    if (!parent.isValid()) {
        return createIndex(row, 0, Encode(m_disks[static_cast<size_t>(row)].key, KindFiles, 0));
    }
    const Id id = Decode(parent.internalId());
    if (id.kind == KindFiles) {
        return createIndex(
            row, 0, Encode(id.key, row == kRecordHeaderRow ? KindRecordHeader : KindProperties, 0));
    }
    return createIndex(row, 0, Encode(id.key, KindSector, row));
}

QModelIndex CDiskTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) {
        return {};
    }
    const Id id = Decode(child.internalId());
    switch (id.kind) {
        case KindRecordHeader:
        case KindProperties: {
            const int row = RowOfKey(id.key);
            return row < 0 ? QModelIndex() : createIndex(row, 0, Encode(id.key, KindFiles, 0));
        }
        case KindSector:
            return createIndex(kPropertiesRow, 0, Encode(id.key, KindProperties, 0));
        default:
            return {};
    }
}

int CDiskTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return static_cast<int>(m_disks.size());
    }
    if (parent.column() != 0) {
        return 0;
    }
    switch (Decode(parent.internalId()).kind) {
        case KindFiles:
            return kDiskChildCount;
        case KindProperties:
            return CMdosDisk::kSectorCount;
        default:
            return 0;
    }
}

int CDiskTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QString CDiskTreeModel::SectorLabel(int sector) {
    if (sector == CMdosDisk::kBootSector) {
        return QStringLiteral("Sector 0 (BOOT)");
    }
    if (sector < CMdosDisk::kFirstDirSector) {
        return QString::asprintf("Sector %d (FAT)", sector);
    }
    if (sector < CMdosDisk::kFirstDataSector) {
        return QString::asprintf("Sector %d (DIR)", sector);
    }
    return QString::asprintf("Sector %d", sector);
}

int CDiskTreeModel::SectorIcon(int sector) {
    if (sector == CMdosDisk::kBootSector) {
        return icons::kTreeBootDisk;
    }
    if (sector < CMdosDisk::kFirstDirSector) {
        return icons::kTreeFat;
    }
    if (sector < CMdosDisk::kFirstDataSector) {
        return icons::kTreeDir;
    }
    return icons::kTreeCog;
}

QVariant CDiskTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const Id id = Decode(index.internalId());
    const int row = RowOfKey(id.key);
    if (row < 0 ||
        (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::DecorationRole)) {
        return {};
    }
    const Disk& disk = m_disks[static_cast<size_t>(row)];
    if (role == Qt::DecorationRole) {
        switch (id.kind) {
            case KindFiles:
                // The first disk of the image is the one the machine boots from.
                return m_icons[disk.diskIndex == 0 ? icons::kTreeBootDisk : icons::kTreeDisk];
            case KindSector:
                return m_icons[static_cast<size_t>(SectorIcon(id.sector))];
            default:
                return m_icons[icons::kTreeCog];
        }
    }
    switch (id.kind) {
        case KindFiles:
            return disk.label;
        case KindRecordHeader:
            return QStringLiteral("Tarrow tags");
        case KindProperties:
            return QStringLiteral("MDOS disk");
        default:
            return SectorLabel(id.sector);
    }
}

Qt::ItemFlags CDiskTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    const int kind = Decode(index.internalId()).kind;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (kind == KindFiles) {
        result |= Qt::ItemIsEditable;
    }
    if (kind == KindRecordHeader || kind == KindSector) {
        result |= Qt::ItemNeverHasChildren;
    }
    return result;
}

QString CDiskTreeModel::ReadLabel(CMdosDisk* disk) const {
    char label[kLabelBufferSize];
    return QString::fromLatin1(disk->GetDiskName(label, sizeof label));
}

bool CDiskTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid()) {
        return false;
    }
    const Id id = Decode(index.internalId());
    const int row = RowOfKey(id.key);
    if (id.kind != KindFiles || row < 0) {
        return false;
    }
    Disk& disk = m_disks[static_cast<size_t>(row)];
    // An editor left as it opened stores nothing: the record keeps its bytes (a foreign disk's
    // NUL padding included) and the image is not changed.
    if (value.toString() == ReadLabel(disk.disk)) {
        return true;
    }
    disk.disk->SetDiskName(value.toString().toLatin1().constData());
    disk.label = ReadLabel(disk.disk);
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    emit DiskRenamed(index);
    return true;
}

std::optional<ItemInfo> CDiskTreeModel::ItemInfoAt(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) {
        return std::nullopt;
    }
    const Id id = Decode(index.internalId());
    const int row = RowOfKey(id.key);
    if (row < 0) {
        return std::nullopt;
    }
    const Disk& disk = m_disks[static_cast<size_t>(row)];
    return ItemInfo{disk.diskIndex, id.kind, disk.disk, nullptr, id.sector, 0};
}

QModelIndex CDiskTreeModel::AppendDisks(const std::vector<CMdosDisk*>& disks, int firstDiskIndex) {
    if (disks.empty()) {
        return {};
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(disks.size()) - 1);
    int diskIndex = firstDiskIndex;
    for (CMdosDisk* disk : disks) {
        m_disks.push_back(Disk{m_nextKey++, disk, diskIndex++, ReadLabel(disk)});
    }
    endInsertRows();
    return index(first, 0);
}

void CDiskTreeModel::RemoveDisk(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    beginRemoveRows({}, row, row);
    m_disks.erase(m_disks.begin() + row);
    endRemoveRows();
}

void CDiskTreeModel::Clear() {
    beginResetModel();
    m_disks.clear();
    endResetModel();
}

void CDiskTreeModel::ShiftDiskIndex(int row, int delta) {
    if (row < 0 || row >= rowCount() || delta == 0) {
        return;
    }
    m_disks[static_cast<size_t>(row)].diskIndex += delta;
    const QModelIndex item = index(row, 0);
    emit dataChanged(item, item, {Qt::DecorationRole});
}

int CDiskTreeModel::DiskRowOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) {
        return -1;
    }
    return RowOfKey(Decode(index.internalId()).key);
}
