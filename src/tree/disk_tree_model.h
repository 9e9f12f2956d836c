// The disk tree's model. Every disk shows the same 1695 items: the disk, "Tarrow tags", "MDOS
// disk" and the 1692 sectors below it. Only the disks are stored; every other item is computed
// from its disk and its position, so an image of hundreds of disks costs a few bytes per disk
// instead of thousands of allocated items.
//
// An index's internal id holds the disk's key, the item's kind and its sector. Keys are handed
// out in increasing order and never reused, so indices (persistent ones too) of a disk stay
// right when disks before it are removed.
#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <QString>
#include <optional>
#include <vector>

#include "image/item_info.h"

class CMdosDisk;

class CDiskTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit CDiskTreeModel(QObject* parent = nullptr);

    [[nodiscard]] QModelIndex index(int row, int column,
                                    const QModelIndex& parent = {}) const override;
    [[nodiscard]] QModelIndex parent(const QModelIndex& child) const override;
    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Renames a disk: the disk stores the text (blank-padded, cut to 32 characters) and the
    // label becomes the stored name without its trailing blanks.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The record of any item; none for an invalid index.
    [[nodiscard]] std::optional<ItemInfo> ItemInfoAt(const QModelIndex& index) const;

    // Appends one disk item per disk, labelled with the disk's name as it is now; the first
    // gets the index firstDiskIndex, the next ones count up. Returns the first new disk item.
    QModelIndex AppendDisks(const std::vector<CMdosDisk*>& disks, int firstDiskIndex);
    void RemoveDisk(int row);
    void Clear();
    // Moves every item of the disk on that row by delta positions in the document's array.
    void ShiftDiskIndex(int row, int delta);
    // The row of the disk item that an item belongs to; -1 for an invalid index.
    [[nodiscard]] int DiskRowOf(const QModelIndex& index) const;

signals:
    // A disk item took a new name through setData.
    void DiskRenamed(const QModelIndex& diskItem);

private:
    struct Disk {
        quint64 key;
        CMdosDisk* disk;
        int diskIndex;
        QString label;
    };
    struct Id {
        quint64 key;
        int kind;
        int sector;
    };

    [[nodiscard]] static quintptr Encode(quint64 key, int kind, int sector);
    [[nodiscard]] static Id Decode(quintptr id);
    [[nodiscard]] int RowOfKey(quint64 key) const;
    [[nodiscard]] static QString SectorLabel(int sector);
    [[nodiscard]] static int SectorIcon(int sector);
    [[nodiscard]] QString ReadLabel(CMdosDisk* disk) const;

    std::vector<Disk> m_disks;  // in row order, which is also key order
    quint64 m_nextKey = 0;
    std::vector<QIcon> m_icons;
};
