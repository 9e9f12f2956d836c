// An array as a table: a one-dimensional array is a column of its elements; any other is a row
// for each combination of all but the last index and a column for each value of the last.
#pragma once

#include <QAbstractTableModel>

#include "content/array_data.h"

class CArrayModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CArrayModel(content::ArrayData array, QObject* parent = nullptr);

    [[nodiscard]] const content::ArrayData& Array() const { return m_array; }

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

private:
    // The element a cell shows; the element count when the cell is past the last one.
    [[nodiscard]] std::size_t Element(int row, int column) const;

    content::ArrayData m_array;
    int m_columns = 1;
};
