#include "ItemSizeCache.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace yx {

ItemSizeCache::ItemSizeCache(QObject* parent) : QStyledItemDelegate(parent) {
    if (parent && parent->isWidgetType())
        parent->installEventFilter(this);
}

bool ItemSizeCache::eventFilter(QObject* watched, QEvent* event) {
    if (watched != parent()) // an editor: the delegate's own handling of keys and focus
        return QStyledItemDelegate::eventFilter(watched, event);
    if (event->type() == QEvent::StyleChange)
        m_sizes.clear();
    return false;
}

void ItemSizeCache::watch(QAbstractItemModel* model, int column) {
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    m_column = column;
    m_sizes.clear();
    if (!model)
        return;
    const auto forget = [this] { m_sizes.clear(); };
    connect(model, &QAbstractItemModel::modelReset, this, forget);
    connect(model, &QAbstractItemModel::layoutChanged, this, forget);
    connect(model, &QAbstractItemModel::rowsMoved, this, forget);
    connect(model, &QAbstractItemModel::rowsRemoved, this, forget);
    connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        if (static_cast<size_t>(first) < m_sizes.size()) // rows appended need nothing: not measured yet
            m_sizes.insert(m_sizes.begin() + first, static_cast<size_t>(last - first + 1), QSize());
    });
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) {
                if (topLeft.column() > m_column || bottomRight.column() < m_column)
                    return; // the status column, say
                static const QList<int> kShaping = {Qt::DisplayRole, Qt::DecorationRole, Qt::FontRole,
                                                    Qt::SizeHintRole, Qt::TextAlignmentRole};
                if (!roles.isEmpty() &&
                    std::none_of(roles.begin(), roles.end(), [](int r) { return kShaping.contains(r); }))
                    return;
                const size_t end = std::min(m_sizes.size(), static_cast<size_t>(bottomRight.row()) + 1);
                for (size_t r = static_cast<size_t>(topLeft.row()); r < end; ++r)
                    m_sizes[r] = QSize();
            });
}

QSize ItemSizeCache::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (!index.isValid() || index.model() != m_model || index.column() != m_column)
        return QStyledItemDelegate::sizeHint(option, index);
    const Shape shape{option.font,
                      option.decorationSize,
                      option.rect.size(),
                      static_cast<int>(option.features),
                      static_cast<int>(option.decorationPosition),
                      static_cast<int>(option.displayAlignment),
                      static_cast<int>(option.textElideMode)};
    if (!(shape == m_shape)) {
        m_shape = shape;
        m_sizes.clear();
    }
    const size_t row = static_cast<size_t>(index.row());
    if (row >= m_sizes.size())
        m_sizes.resize(row + 1);
    if (!m_sizes[row].isValid())
        m_sizes[row] = QStyledItemDelegate::sizeHint(option, index);
    return m_sizes[row];
}

} // namespace yx
