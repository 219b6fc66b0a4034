// The Qt views (icons and list by a QListView, details by a QTreeView) inside a list control of the
// certificate and e-mail pages pass what happens to them up to that control, which decides: the
// row a mouse press, double click or context menu hit (-1 beside the items), and keys.
#pragma once

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace yx {

class ViewReports {
public:
    virtual void viewPressed(int row, Qt::MouseButton button) = 0;
    virtual void viewDoubleClicked(int row) = 0;
    virtual void viewContextMenu(int row, const QPoint& globalPos) = 0;
    // Where a keyboard-opened context menu appears for a row (global).
    virtual QPoint menuAnchor(int row) const = 0;
    virtual bool viewKey(int key, Qt::KeyboardModifiers modifiers) = 0; // true when taken
    virtual void viewMovedByKeyboard(int row) = 0;

protected:
    ~ViewReports() = default;
};

template <class Base> class ReportingView : public Base {
public:
    ReportingView(QWidget* parent, ViewReports* owner) : Base(parent), m_owner(owner) {}

protected:
    int rowAt(const QPoint& pos) const {
        const QModelIndex hit = this->indexAt(pos);
        return hit.isValid() ? hit.row() : -1;
    }
    int currentRow() const {
        const QModelIndex current = this->currentIndex();
        return current.isValid() ? current.row() : -1;
    }

    void mousePressEvent(QMouseEvent* event) override {
        const int row = rowAt(event->position().toPoint());
        Base::mousePressEvent(event);
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
            m_owner->viewContextMenu(rowAt(event->pos()), event->globalPos());
        } else {
            const int row = currentRow();
            m_owner->viewContextMenu(row, m_owner->menuAnchor(row));
        }
        event->accept();
    }

    void keyPressEvent(QKeyEvent* event) override {
        if (m_owner->viewKey(event->key(), event->modifiers())) {
            event->accept();
            return;
        }
        const int before = currentRow();
        Base::keyPressEvent(event);
        const int after = currentRow();
        if (after != before && after >= 0)
            m_owner->viewMovedByKeyboard(after);
    }

private:
    ViewReports* m_owner;
};

// What both controls' views share: whole rows selected, no editing, no dragging out, no frame,
// a white ground.
inline void setUpReportingView(QAbstractItemView* view, QAbstractItemView::SelectionMode selection) {
    view->setSelectionMode(selection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setDragEnabled(false);
    view->setDragDropMode(QAbstractItemView::NoDragDrop);
    view->setContextMenuPolicy(Qt::DefaultContextMenu);
    view->setFrameShape(QFrame::NoFrame);
    QPalette pal = view->palette();
    pal.setColor(QPalette::Base, Qt::white);
    view->setPalette(pal);
}

} // namespace yx
