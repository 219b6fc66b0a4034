#include "MailListView.h"

#include "MailListModel.h"
#include "widgets/ReportingView.h"

#include <QHeaderView>
#include <QListView>
#include <QStackedLayout>
#include <QTreeView>

#include <algorithm>

namespace yx {

namespace {

constexpr int kSmallIcon = 16;
constexpr int kLargeIcon = 32;

} // namespace

MailListView::MailListView(int controlId, MailListModel* model, QWidget* parent)
    : QWidget(parent), m_model(model) {
    setObjectName(QString::number(controlId));
    m_list = new ReportingView<QListView>(this, this);
    m_list->setObjectName(QStringLiteral("iconView"));
    m_details = new ReportingView<QTreeView>(this, this);
    m_details->setObjectName(QStringLiteral("detailsView"));
    setUpReportingView(m_list, QAbstractItemView::SingleSelection);
    setUpReportingView(m_details, QAbstractItemView::SingleSelection);
    m_list->setMovement(QListView::Static);
    m_list->setResizeMode(QListView::Adjust);
    m_details->setRootIsDecorated(false);
    m_details->setItemsExpandable(false);
    m_details->setUniformRowHeights(true);
    m_details->setAllColumnsShowFocus(true);
    m_details->setIconSize(QSize(kSmallIcon, kSmallIcon));
    QHeaderView* header = m_details->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setSectionsClickable(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_list->setModel(m_model);
    m_details->setModel(m_model);
    m_details->setSelectionModel(m_list->selectionModel());
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        applyColumnWidths();
        if (m_mode != Mode::Details)
            configureListView(m_mode); // item widths follow the longest text
    });

    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_list);
    m_stack->addWidget(m_details);
    setMode(Mode::LargeIcons);
}

void MailListView::applyColumnWidths() {
    for (int c = 0; c < m_model->columnCount(); ++c)
        m_details->header()->resizeSection(c, m_model->columnWidth(c));
}

void MailListView::configureListView(Mode mode) {
    const QFontMetrics fm = m_list->fontMetrics();
    const int em = fm.height();
    if (mode == Mode::LargeIcons) {
        m_list->setViewMode(QListView::IconMode);
        m_list->setFlow(QListView::LeftToRight);
        m_list->setIconSize(QSize(kLargeIcon, kLargeIcon));
        m_list->setWordWrap(true);
        // Room for the icon and two lines of text under it.
        m_list->setGridSize(QSize(std::max(120, 9 * em), kLargeIcon + 2 * fm.lineSpacing() + 16));
    } else {
        int widest = 0;
        for (int r = 0; r < m_model->rowCount(); ++r)
            widest = std::max(widest, fm.horizontalAdvance(m_model->text(r, 0)));
        m_list->setViewMode(QListView::ListMode);
        m_list->setFlow(mode == Mode::SmallIcons ? QListView::LeftToRight : QListView::TopToBottom);
        m_list->setIconSize(QSize(kSmallIcon, kSmallIcon));
        m_list->setWordWrap(false);
        m_list->setGridSize(QSize(std::clamp(widest + kSmallIcon + 2 * em, 8 * em, 22 * em), em + 6));
    }
    m_list->setWrapping(true);
    m_list->setSpacing(0);
    m_list->setTextElideMode(Qt::ElideRight);
    m_list->setMovement(QListView::Static); // icon mode turns moving on; the lists keep their order
    m_list->setDragDropMode(QAbstractItemView::NoDragDrop);
}

void MailListView::setMode(Mode mode) {
    const bool wasUpdating = updatesEnabled();
    setUpdatesEnabled(false);
    m_mode = mode;
    m_model->setLargeIcons(mode == Mode::LargeIcons);
    if (mode == Mode::Details) {
        m_stack->setCurrentWidget(m_details);
    } else {
        configureListView(mode);
        m_stack->setCurrentWidget(m_list);
    }
    setFocusProxy(currentView());
    setUpdatesEnabled(wasUpdating);
}

QAbstractItemView* MailListView::currentView() const {
    return m_mode == Mode::Details ? static_cast<QAbstractItemView*>(m_details)
                                   : static_cast<QAbstractItemView*>(m_list);
}

void MailListView::viewPressed(int row, Qt::MouseButton button) {
    if (row < 0)
        currentView()->clearSelection();
    if (button == Qt::LeftButton)
        emit rowPressed(row);
}

void MailListView::viewDoubleClicked(int row) {
    emit rowDoubleClicked(row);
}

void MailListView::viewContextMenu(int row, const QPoint& globalPos) {
    if (row >= 0) // a right click makes its row the current one
        currentView()->setCurrentIndex(m_model->index(row, 0));
    emit contextMenuRequested(row, globalPos);
}

bool MailListView::viewKey(int key, Qt::KeyboardModifiers modifiers) {
    if ((key != Qt::Key_Return && key != Qt::Key_Enter) || modifiers != Qt::NoModifier)
        return false;
    const QModelIndex current = currentView()->currentIndex();
    emit enterPressed(current.isValid() ? current.row() : -1);
    return true;
}

void MailListView::viewMovedByKeyboard(int) {}

QPoint MailListView::menuAnchor(int row) const {
    QAbstractItemView* view = currentView();
    if (row >= 0 && row < m_model->rowCount()) {
        const QRect rect = view->visualRect(m_model->index(row, 0));
        if (rect.isValid())
            return view->viewport()->mapToGlobal(QPoint(rect.left() + rect.height() / 2, rect.bottom()));
    }
    return view->viewport()->mapToGlobal(QPoint(8, 8));
}

} // namespace yx
