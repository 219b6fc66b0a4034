#include "CertResultList.h"

#include "dialogs/DialogKit.h"
#include "widgets/ColumnFit.h"

#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace yx {

CertResultList::CertResultList(const std::vector<std::pair<QString, int>>& columns, QWidget* parent)
    : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setIconSize(QSize(16, 16));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    viewport()->setMouseTracking(true);

    QStringList titles;
    for (const auto& column : columns)
        titles << column.first;
    setColumnCount(static_cast<int>(titles.size()));
    setHeaderLabels(titles);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    std::vector<int> all;
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        setColumnWidth(i, columns[static_cast<size_t>(i)].second);
        all.push_back(i);
    }
    ColumnFit::install(this, all); // names, addresses and dates widen to their content
}

QTreeWidgetItem* CertResultList::addRow(const QStringList& texts) {
    auto* item = new QTreeWidgetItem(texts);
    item->setIcon(0, dlgkit::certRowIcon());
    addTopLevelItem(item);
    return item;
}

int CertResultList::rowAt(const QPoint& viewportPos) const {
    const QModelIndex index = indexAt(viewportPos);
    return index.isValid() ? index.row() : -1;
}

int CertResultList::rowUnderCursor() const {
    if (m_mouseInside)
        return rowAt(m_mousePos);
    // No mouse event seen over the list: ask where the pointer is now.
    const QPoint pos = viewport()->mapFromGlobal(QCursor::pos());
    return viewport()->rect().contains(pos) ? rowAt(pos) : -1;
}

void CertResultList::mousePressEvent(QMouseEvent* event) {
    m_mousePos = event->position().toPoint();
    m_mouseInside = true;
    QTreeWidget::mousePressEvent(event);
    if (onPress && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton))
        onPress(rowAt(m_mousePos));
}

void CertResultList::mouseMoveEvent(QMouseEvent* event) {
    m_mousePos = event->position().toPoint();
    m_mouseInside = true;
    QTreeWidget::mouseMoveEvent(event);
}

void CertResultList::mouseDoubleClickEvent(QMouseEvent* event) {
    m_mousePos = event->position().toPoint();
    m_mouseInside = true;
    QTreeWidget::mouseDoubleClickEvent(event);
    if (onDoubleClick)
        onDoubleClick();
}

void CertResultList::keyPressEvent(QKeyEvent* event) {
    m_inKey = true;
    QTreeWidget::keyPressEvent(event);
    m_inKey = false;
}

bool CertResultList::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave)
        m_mouseInside = false;
    return QTreeWidget::viewportEvent(event);
}

} // namespace yx
