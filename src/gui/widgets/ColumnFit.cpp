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
    QHeaderView* header = view->header();
    header->viewport()->installEventFilter(this);
    connect(header, &QHeaderView::sectionResized, this, [this](int column) {
        if (m_mouseDown && !m_widening)
            m_userSized.insert(column);
    });
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
    connect(model, &QAbstractItemModel::modelReset, this, [this] { fitSoon(false); });
    connect(model, &QAbstractItemModel::rowsInserted, this, [this] { fitSoon(true); });
}

void ColumnFit::fitSoon(bool screenOnly) {
    // Once the rows are in and laid out, and once however many of them arrived together.
    m_pendingScreenOnly = m_pending ? m_pendingScreenOnly && screenOnly : screenOnly;
    if (m_pending)
        return;
    m_pending = true;
    QTimer::singleShot(0, this, [this] {
        m_pending = false;
        widen(m_pendingScreenOnly);
    });
}

void ColumnFit::widen(bool screenOnly) {
    watchModel();
    if (!m_view->model() || !m_view->isVisible())
        return; // widths follow the view's size, known once it is shown
    QHeaderView* header = m_view->header();
    const int limit = m_view->viewport()->width() / 2;
    // The tree view's own measure, reached through the public base; with a precision of 0 it
    // measures the rows on screen alone, else that many rows around them as well.
    const int precision = header->resizeContentsPrecision();
    if (screenOnly)
        header->setResizeContentsPrecision(0);
    for (int column : m_columns) {
        if (column < 0 || column >= header->count() || header->isSectionHidden(column) ||
            m_userSized.count(column))
            continue;
        const int rows = static_cast<const QAbstractItemView*>(m_view)->sizeHintForColumn(column);
        const int content = std::max(rows, header->sectionSizeHint(column));
        const int current = header->sectionSize(column);
        const int wanted = std::min(content, limit);
        if (wanted > current) {
            m_widening = true;
            header->resizeSection(column, wanted);
            m_widening = false;
        }
    }
    header->setResizeContentsPrecision(precision);
}

bool ColumnFit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view) {
        if (event->type() == QEvent::Show)
            fitSoon(false);
    } else if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        m_mouseDown = true; // on the header (the other object watched)
    } else if (event->type() == QEvent::MouseButtonRelease) {
        m_mouseDown = false;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace yx
