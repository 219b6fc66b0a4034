#include "ColumnFit.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QHeaderView>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

namespace yx {

ColumnFit::ColumnFit(QTreeView* view, std::vector<int> columns)
    : QObject(view), m_view(view), m_columns(std::move(columns)) {
    view->installEventFilter(this);
    watchModel();
}

ColumnFit* ColumnFit::install(QTreeView* view, std::vector<int> columns) {
    return view ? new ColumnFit(view, std::move(columns)) : nullptr;
}

void ColumnFit::watchModel() {
    QAbstractItemModel* model = m_view->model();
    if (model == m_watchedModel)
        return;
    if (m_watchedModel)
        disconnect(m_watchedModel, nullptr, this, nullptr);
    m_watchedModel = model;
    if (!model)
        return;
    connect(model, &QAbstractItemModel::modelReset, this, &ColumnFit::fitSoon);
    connect(model, &QAbstractItemModel::rowsInserted, this, &ColumnFit::fitSoon);
}

void ColumnFit::fitSoon() {
    // Once the rows are in and laid out, and once however many of them arrived together.
    if (m_pending)
        return;
    m_pending = true;
    QTimer::singleShot(0, this, [this] {
        m_pending = false;
        fit();
    });
}

void ColumnFit::fit() {
    watchModel();
    if (!m_view->model() || !m_view->isVisible())
        return; // widths follow the view's size, known once it is shown
    QHeaderView* header = m_view->header();
    const int limit = m_view->viewport()->width() / 2;
    for (int column : m_columns) {
        if (column < 0 || column >= header->count() || header->isSectionHidden(column))
            continue;
        // (The tree view's own measure, reached through the public base.)
        const int rows = static_cast<const QAbstractItemView*>(m_view)->sizeHintForColumn(column);
        const int content = std::max(rows, header->sectionSizeHint(column));
        const int current = header->sectionSize(column);
        const int wanted = std::min(content, limit);
        if (wanted > current)
            header->resizeSection(column, wanted);
    }
}

bool ColumnFit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view && event->type() == QEvent::Show)
        fitSoon();
    return QObject::eventFilter(watched, event);
}

} // namespace yx
