// ItemSizeCache: an item delegate that measures each row once. A list view lays every item out
// again whenever rows are added; in the icon view, where each item takes its own size, that
// measures every holder name's wrapped text anew, so a long list that grows in steps would be
// measured over and over. A row's size is kept until its text or icon changes, the rows are
// replaced or moved, or the view shows its items otherwise (font, icon size, grid, style).
#pragma once

#include <QFont>
#include <QPointer>
#include <QStyledItemDelegate>

#include <vector>

namespace yx {

class ItemSizeCache : public QStyledItemDelegate {
    Q_OBJECT
public:
    // A widget parent is the view: a new style there (its own or the application's) measures anew.
    explicit ItemSizeCache(QObject* parent = nullptr);

    // Follows the changes of `model`, whose `column` the view shows.
    void watch(QAbstractItemModel* model, int column);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What of the view's item options a size depends on.
    struct Shape {
        QFont font;
        QSize decoration, rect;
        int features = 0, position = 0, alignment = 0, elide = 0;
        bool operator==(const Shape&) const = default;
    };

    QPointer<QAbstractItemModel> m_model;
    int m_column = 0;
    mutable Shape m_shape;
    mutable std::vector<QSize> m_sizes; // by row; invalid: not measured
};

} // namespace yx
