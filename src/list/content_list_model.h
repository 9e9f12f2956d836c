// The rows of the content list: texts, an icon index and the row's ItemInfo, built by the
// list view's display operations. The model copies every text when a row is added, so it never
// reads a disk while painting; only a rename in place writes through a row's record.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>
#include <optional>
#include <vector>

#include "image/item_info.h"

class CContentListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString title;
        int width = 0;  // in pixels
    };
    struct Row {
        QStringList cells;  // column 0 is the row's label
        int icon = 0;       // index into the list's icons
        std::optional<ItemInfo> info;
    };

    explicit CContentListModel(QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Renames in place: a file row stores the text with SetEntryName, the volume-name row with
    // SetVolumeName; the label then shows what the disk stored, not what was typed.
    // NameChanged follows when the stored bytes differ from before.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Replaces the columns; the rows are dropped with them.
    void SetColumns(std::vector<Column> columns);

    void ClearRows();
    void AppendRows(std::vector<Row> rows);
    [[nodiscard]] const Row& RowAt(int row) const { return m_rows[static_cast<size_t>(row)]; }
    // Only the label of a file row and of the properties' "Disk name" row can be edited.
    [[nodiscard]] bool IsRowEditable(int row) const;

    // The large icons serve the large-icon style, the small ones every other style.
    void SetLargeIcons(bool large);
    [[nodiscard]] bool LargeIcons() const { return m_large; }

signals:
    // A rename in place changed the name stored on the disk.
    void NameChanged();

private:
    [[nodiscard]] bool IsRowIndex(const QModelIndex& index) const;

    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
    std::vector<QIcon> m_smallIcons;
    std::vector<QIcon> m_largeIcons;
    bool m_large = false;
};
