// A page of the main window: a child of the navigation panel that the panel shows, hides and
// activates. While a page is current, menu-bar positions 2 ("操作(&O)") and 3 ("查看(&V)") are its
// own; it puts them there on every activation. Menu-bar commands reach the frame, which forwards
// them to the current page's onCommand(); context menus the page runs itself deliver their
// commands to onCommand() directly.
#pragma once

#include <QPointer>
#include <QWidget>

class QMenu;

namespace yx {

enum PageIndex {
    kPageLifecycle = 0,
    kPagePersonal = 1,
    kPageOtherPeople = 2,
    kPageCa = 3,
    kPageSecureMail = 4,
    kPageFileEnc = 5,
    kPageCount = 6
};

// The owner of the menu bar that pages write into (the main frame).
class MenuBarHost {
public:
    virtual ~MenuBarHost() = default;
    // Deletes the popup at `position` and puts `menu` there with `title`; takes ownership.
    virtual void replaceMenu(int position, QMenu* menu, const QString& title) = 0;
    // The popup now at `position`, or null.
    virtual QMenu* menuAt(int position) const = 0;
};

class Page : public QWidget {
    Q_OBJECT
public:
    Page(int pageIndex, int dialogId, QWidget* parent = nullptr);

    int pageIndex() const { return m_pageIndex; }
    int dialogId() const { return m_dialogId; }

    void setMenuBarHost(MenuBarHost* host) { m_host = host; }
    MenuBarHost* menuBarHost() const { return m_host; }

    // The page has just become current (the panel has shown it and given it the focus).
    // Puts the page's menus into the menu bar, then lets the page refresh itself.
    void activate();

    // A command for this page. True when the page handled it. The base handles help (57670).
    virtual bool onCommand(int id);

signals:
    void activated();

protected:
    // The popups for positions 2 and 3, built anew on every activation (null view: an empty popup).
    virtual QMenu* createOperationsMenu() = 0;
    virtual QMenu* createViewMenu() { return nullptr; }
    // After the menus are in place: reload content, grey items that depend on the page's state.
    virtual void onActivate() {}

    // Replace only the operations popup (pages whose operations depend on a selection).
    void mergeOperationsMenu(QMenu* menu);
    void mergeViewMenu(QMenu* menu);
    // The popups this page last put into the menu bar (null when another page's are there).
    QMenu* currentOperationsMenu() const;
    QMenu* currentViewMenu() const;

    // Runs a context menu owned by the page: a chosen command goes to onCommand(). Deletes the menu.
    void runContextMenu(QMenu* menu, const QPoint& globalPos);

    // Popup `index` of a menu resource with the items at `positions` removed (highest first).
    static QMenu* loadPopupWithout(int menuId, std::initializer_list<int> positions);
    // The certificate pages' view popup ("查看" in menu 155), used by several pages.
    static QMenu* loadCommonViewMenu();

private:
    int m_pageIndex;
    int m_dialogId;
    MenuBarHost* m_host = nullptr;
    QPointer<QMenu> m_ops;
    QPointer<QMenu> m_view;
};

} // namespace yx
