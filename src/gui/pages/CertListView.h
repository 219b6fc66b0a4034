// CertListView: the list control of a certificate page (control 1004). One model is shown in one
// of four views: large icons, small icons, list (the three by a QListView) and details (a
// QTreeView with the columns); both views share the model and one selection model, so switching
// keeps the selection and the current row. It reports what the page acts on: presses with the
// row hit, double clicks, context-menu requests (mouse or Menu key), the Enter, Delete and F5
// keys, keyboard moves of the current row, and certificate files dropped on it.
#pragma once

#include "widgets/ReportingView.h"

#include <QWidget>

class QAbstractItemView;
class QListView;
class QStackedLayout;
class QTreeView;

namespace yx {

class CertListModel;
class ColumnFit;
class ItemSizeCache;

class CertListView : public QWidget, public ViewReports {
    Q_OBJECT
public:
    enum class Mode { LargeIcons, SmallIcons, List, Details };

    explicit CertListView(QWidget* parent = nullptr);

    void setModel(CertListModel* model);
    CertListModel* model() const { return m_model; }

    // Switches the view with painting suspended during the change.
    void setMode(Mode mode);
    Mode mode() const { return m_mode; }

    QAbstractItemView* currentView() const;
    QListView* iconView() const { return m_list; }
    QTreeView* detailsView() const { return m_details; }

    int currentRow() const;
    // The row at a point of the current view's viewport, -1 for empty space.
    int rowAt(const QPoint& viewportPos) const;
    // Where a keyboard-opened context menu appears for a row (global), below the row's text.
    QPoint menuAnchor(int row) const override;

    // A load has ended: the columns widen to the rows around those on screen as well (those the
    // user has not resized), as only the rows on screen were measured while the rows came in.
    void rowsLoaded();

    // Certificate files a page imports when dropped: .pfx, .p12, .cer, .crt, .der (any case).
    static bool isCertificateFile(const QString& path);

    // Called by the two views (not for callers).
    void viewPressed(int row, Qt::MouseButton button) override;
    void viewDoubleClicked(int row) override;
    void viewContextMenu(int row, const QPoint& globalPos) override;
    bool viewKey(int key, Qt::KeyboardModifiers modifiers) override; // true when consumed
    void viewMovedByKeyboard(int row) override;

signals:
    void rowPressed(int row);       // left button; -1 on empty space
    void rowDoubleClicked(int row); // only over a row
    void contextMenuRequested(int row, const QPoint& globalPos);
    void openKey(int row);   // Enter / Return on the current row (-1 when none)
    void deleteKey(int row); // Delete on the current row
    void refreshKey();       // F5
    void currentMovedByKeyboard(int row);
    void fileDropped(const QString& path);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void configureListView(Mode mode);
    int itemWidthForText() const;

    CertListModel* m_model = nullptr;
    QStackedLayout* m_stack;
    QListView* m_list;
    QTreeView* m_details;
    ColumnFit* m_columnFit = nullptr; // owned by m_details
    ItemSizeCache* m_itemSizes;       // owned by m_list
    Mode m_mode = Mode::LargeIcons;
};

} // namespace yx
