// MailListView: one list control of the e-mail page (the home list 1033 or the detail list 1110).
// Its MailListModel is shown as large icons, small icons, a list (all by a QListView) or details
// (a QTreeView with the columns); both views share one selection. It reports presses with the row
// hit (-1 beside the items), double clicks on rows and context-menu requests.
#pragma once

#include "widgets/ReportingView.h"

#include <QWidget>

class QAbstractItemView;
class QListView;
class QStackedLayout;
class QTreeView;

namespace yx {

class MailListModel;

class MailListView : public QWidget, public ViewReports {
    Q_OBJECT
public:
    enum class Mode { LargeIcons, SmallIcons, List, Details };

    MailListView(int controlId, MailListModel* model, QWidget* parent = nullptr);

    MailListModel* model() const { return m_model; }
    // Switches the view with painting suspended during the change.
    void setMode(Mode mode);
    Mode mode() const { return m_mode; }

    QAbstractItemView* currentView() const;
    QListView* iconView() const { return m_list; }
    QTreeView* detailsView() const { return m_details; }

    // Column widths follow the model after each fill.
    void applyColumnWidths();

    QPoint menuAnchor(int row) const override;

    // Called by the two views (not for callers).
    void viewPressed(int row, Qt::MouseButton button) override;
    void viewDoubleClicked(int row) override;
    void viewContextMenu(int row, const QPoint& globalPos) override;
    bool viewKey(int key, Qt::KeyboardModifiers modifiers) override;
    void viewMovedByKeyboard(int row) override;

signals:
    void rowPressed(int row);       // left button; -1 beside the items
    void rowDoubleClicked(int row); // -1 beside the items
    void contextMenuRequested(int row, const QPoint& globalPos);
    void enterPressed(int row); // Enter / Return on the current row (-1 when none)

private:
    void configureListView(Mode mode);

    MailListModel* m_model;
    QStackedLayout* m_stack;
    QListView* m_list;
    QTreeView* m_details;
    Mode m_mode = Mode::LargeIcons;
};

} // namespace yx
