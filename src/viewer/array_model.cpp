#include "viewer/array_model.h"

#include <algorithm>

CArrayModel::CArrayModel(content::ArrayData array, QObject* parent)
    : QAbstractTableModel(parent), m_array(std::move(array)) {
    if (m_array.dimensions.size() > 1) {
        m_columns = std::max(m_array.dimensions.back(), 1);
    }
}

int CArrayModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    const std::size_t count = m_array.ElementCount();
    const auto columns = static_cast<std::size_t>(m_columns);
    return static_cast<int>((count + columns - 1) / columns);
}

int CArrayModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

std::size_t CArrayModel::Element(int row, int column) const {
    const std::size_t element =
        static_cast<std::size_t>(row) * static_cast<std::size_t>(m_columns) +
        static_cast<std::size_t>(column);
    return std::min(element, m_array.ElementCount());
}

QVariant CArrayModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return {};
    }
    const std::size_t element = Element(index.row(), index.column());
    if (element >= m_array.ElementCount()) {
        return {};
    }
    if (role == Qt::ToolTipRole) {
        return QString::fromStdString(m_array.name + m_array.IndexText(element));
    }
    return QString::fromStdString(m_array.ElementText(element));
}

QVariant CArrayModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0) {
        return {};
    }
    if (orientation == Qt::Horizontal) {
        return m_array.dimensions.size() > 1 ? QString::number(section + 1)
                                             : QStringLiteral("Value");
    }
    if (m_array.dimensions.size() <= 1) {
        return QString::number(section + 1);
    }
    // The row's indices but the last: "(2,1)" of a(2,1,k).
    const std::size_t element = Element(section, 0);
    if (element >= m_array.ElementCount()) {
        return {};
    }
    std::string index = m_array.IndexText(element);
    index.erase(index.rfind(','));
    return QString::fromStdString(index + ")");
}
