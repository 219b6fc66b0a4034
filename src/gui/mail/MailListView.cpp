#include "MailListView.h"

#include "MailListModel.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QStackedLayout>
#include <QTreeView>

#include <algorithm>

namespace yx {

namespace {

constexpr int kSmallIcon = 16;
constexpr int kLargeIcon = 32;

// A Qt view that reports presses, double clicks, context menus and Enter to its MailListView.
template <class Base> class ReportingView : public Base {
public:
    explicit ReportingView(MailListView* owner) : Base(owner), m_owner(owner) {}

protected:
    int rowAt(const QPoint& pos) const {
        const QModelIndex hit = this->indexAt(pos);
        return hit.isValid() ? hit.row() : -1;
    }

    void mousePressEvent(QMouseEvent* event) override {
        const int row = rowAt(event->position().toPoint());
        Base::mousePressEvent(event);
        if (row < 0)
            this->clearSelection();
        m_owner->viewPressed(row, event->button());
    }

    void mouseDoubleClickEvent(QMouseEvent* event) override {
        const int row = rowAt(event->position().toPoint());
        Base::mouseDoubleClickEvent(event);
        if (event->button() == Qt::LeftButton)
            m_owner->viewDoubleClicked(row);
    }

    void contextMenuEvent(QContextMenuEvent* event) override {
        if (event->reason() == QContextMenuEvent::Mouse) {
            const int row = rowAt(event->pos());
            if (row >= 0)
                this->setCurrentIndex(this->model()->index(row, 0));
            m_owner->viewContextMenu(row, event->globalPos());
        } else {
            const QModelIndex current = this->currentIndex();
            const int row = current.isValid() ? current.row() : -1;
            m_owner->viewContextMenu(row, m_owner->menuAnchor(row));
        }
        event->accept();
    }

    void keyPressEvent(QKeyEvent* event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
            event->modifiers() == Qt::NoModifier) {
            const QModelIndex current = this->currentIndex();
            emit m_owner->enterPressed(current.isValid() ? current.row() : -1);
            event->accept();
            return;
        }
        Base::keyPressEvent(event);
    }

private:
    MailListView* m_owner;
};

void commonSetup(QAbstractItemView* view) {
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows); // full-row selection
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setDragDropMode(QAbstractItemView::NoDragDrop);
    view->setContextMenuPolicy(Qt::DefaultContextMenu);
    view->setFrameShape(QFrame::NoFrame);
    QPalette pal = view->palette();
    pal.setColor(QPalette::Base, Qt::white);
    view->setPalette(pal);
}

} // namespace

MailListView::MailListView(int controlId, MailListModel* model, QWidget* parent)
    : QWidget(parent), m_model(model) {
    setObjectName(QString::number(controlId));
    m_list = new ReportingView<QListView>(this);
    m_list->setObjectName(QStringLiteral("iconView"));
    m_details = new ReportingView<QTreeView>(this);
    m_details->setObjectName(QStringLiteral("detailsView"));
    commonSetup(m_list);
    commonSetup(m_details);
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
    if (button == Qt::LeftButton)
        emit rowPressed(row);
}

void MailListView::viewDoubleClicked(int row) {
    emit rowDoubleClicked(row);
}

void MailListView::viewContextMenu(int row, const QPoint& globalPos) {
    emit contextMenuRequested(row, globalPos);
}

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
