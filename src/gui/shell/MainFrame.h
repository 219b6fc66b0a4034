// The main window: menu bar, the navigation panel as its client area with the six pages, the
// tray icon. Closing the window keeps the program running in the tray (or minimised where the
// desktop has no tray); only "退出" ends it. Menu commands come here first: the frame handles its
// own and forwards page commands to the page that owns them or to the current page.
#pragma once

#include "pages/Page.h"
#include "pages/PageFactory.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <map>

namespace yx {

class NavigationPanel;
class TrayIcon;

class MainFrame : public QMainWindow, public MenuBarHost {
    Q_OBJECT
public:
    static constexpr int kInitialWidth = 300;
    static constexpr int kInitialHeight = 500;

    explicit MainFrame(const PageFactory& factory = createPage, QWidget* parent = nullptr);
    ~MainFrame() override;

    NavigationPanel* panel() const { return m_panel; }
    TrayIcon* trayIcon() const { return m_tray; }
    QMenu* trayMenu() const { return m_trayMenu; }
    // The page of `index`, built now if nobody has reached it yet. Pages are built when first
    // shown or asked for, so the window shows without waiting for them (YAOXIA_EAGER_PAGES=1
    // builds them all beforehand, the way start-up went before: kept for comparison).
    Page* page(int index) const;
    int currentPageIndex() const;
    Page* currentPage() const { return page(currentPageIndex()); }

    // MenuBarHost: positions 2 and 3 of the menu bar belong to the current page.
    void replaceMenu(int position, QMenu* menu, const QString& title) override;
    QMenu* menuAt(int position) const override;

    // A command from the menu bar or the tray menu. True when something handled it.
    bool onCommand(int id);

    // Which page a menu command goes to: the page index (and the page's own command id, which
    // differs for the view commands of the e-mail and file pages), or -1 when no page takes it
    // while `currentPage` is current.
    static int commandTarget(int id, int currentPage, int* pageCommand);

    // Commands whose dialogs live in other parts of the program register here (configuration,
    // backup password, update check); without a handler the command does nothing.
    void setCommandHandler(int id, std::function<void()> handler);
    // Runs once, when the window is first shown (the start-up update check).
    void setFirstShowAction(std::function<void()> action) { m_firstShowAction = std::move(action); }

    // A later start of the program asks for this window: a minimised window is restored; the
    // window (or its open modal dialog) comes to the front. A window closed to the tray stays hidden.
    void bringToFront();
    // Tray "打开": shows and restores a hidden window, minimises and hides a visible one.
    void toggleVisible();
    // Tray double click: show, then restore.
    void showFromTray();
    // "退出": removes the tray icon, closes the window for real and ends the event loop.
    void exitProgram();
    bool isExiting() const { return m_exiting; }
    // Whether the size, position and maximised state the user left the window in were restored
    // from the settings (false on the first start, which keeps the initial size).
    bool placementRestored() const { return m_placementRestored; }
    // Keeps the window's size, position and maximised state in the settings (when it is shown).
    void savePlacement();

signals:
    // A command was offered to a page (after it handled it or not).
    void commandForwarded(int pageIndex, int pageCommand);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMenuBar();
    void buildPanel();
    Page* makePage(int index);
    void buildTray();
    void onMenuTriggered(QAction* action);
    void showAbout();
    void restoreFromMinimised();
    bool restorePlacement();

    NavigationPanel* m_panel = nullptr;
    TrayIcon* m_tray = nullptr;
    QMenu* m_trayMenu = nullptr;
    PageFactory m_factory;
    std::array<Page*, kPageCount> m_pages{};
    std::map<int, std::function<void()>> m_handlers;
    std::function<void()> m_firstShowAction;
    bool m_firstShowDone = false;
    bool m_exiting = false;
    bool m_placementRestored = false;
};

} // namespace yx
