#include "MailListModel.h"

namespace yx {

MailListModel::MailListModel(QObject* parent) : QAbstractTableModel(parent) {}

void MailListModel::reset(std::vector<Column> columns, ImageSet images, std::vector<Row> rows) {
    beginResetModel();
    m_columns = std::move(columns);
    m_images = std::move(images);
    m_rows = std::move(rows);
    endResetModel();
}

void MailListModel::clear() {
    reset({}, {}, {});
}

QString MailListModel::text(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= 2)
        return {};
    return m_rows[static_cast<size_t>(row)].texts[static_cast<size_t>(column)];
}

int MailListModel::image(int row) const {
    return row >= 0 && row < rowCount() ? m_rows[static_cast<size_t>(row)].image : -1;
}

int MailListModel::columnWidth(int column) const {
    return column >= 0 && column < columnCount() ? m_columns[static_cast<size_t>(column)].width : 0;
}

void MailListModel::setLargeIcons(bool large) {
    if (m_large == large)
        return;
    m_large = large;
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

int MailListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int MailListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant MailListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount() ||
        index.column() >= 2)
        return {};
    const Row& row = m_rows[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return row.texts[static_cast<size_t>(index.column())];
    case Qt::ToolTipRole:
        return row.texts[1].isEmpty() ? row.texts[0] : row.texts[0] + QLatin1Char('\n') + row.texts[1];
    case Qt::DecorationRole: {
        if (index.column() != 0)
            return {};
        const std::vector<QIcon>& set = m_large ? m_images.large : m_images.small;
        if (row.image < 0 || row.image >= static_cast<int>(set.size()))
            return {};
        return set[static_cast<size_t>(row.image)];
    }
    default:
        return {};
    }
}

QVariant MailListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[static_cast<size_t>(section)].title;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

Qt::ItemFlags MailListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace yx
