#include "MainFrame.h"

#include "Artwork.h"
#include "MakerInfo.h"
#include "MenuResources.h"
#include "NavigationPanel.h"
#include "ResourceIds.h"
#include "Settings.h"
#include "ShellHelpers.h"
#include "TrayIcon.h"
#include "UserPrompt.h"
#include "pages/CertListPage.h"
#include "pages/LifecyclePage.h"
#include "widgets/AboutDialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>

namespace yx {

using namespace res;

namespace {

const char* const kFrameTitle = "岚川数字钥匣";
// Where the window's size, position and maximised state are kept between runs.
const char* const kPlacementSection = "MainFrame";
const char* const kPlacementEntry = "WindowPlacement";

struct NavItem {
    int bitmap;
    int left, top, right, bottom;
    const char* text;
};

// Items of the navigation panel by page index: bitmap, hit rectangle, tooltip.
constexpr NavItem kNavItems[kPageCount] = {
    {IDB_NAV_LIFECYCLE, 0, 0, 36, 45, "证书生命周期管理"},   {IDB_NAV_PERSONAL, 0, 56, 36, 89, "个人证书库"},
    {IDB_NAV_OTHER_PEOPLE, 0, 100, 36, 133, "其他人证书库"}, {IDB_NAV_CA, 0, 144, 36, 177, "CA证书库"},
    {IDB_NAV_SECURE_MAIL, 0, 188, 36, 221, "安全邮件配置"},  {IDB_NAV_FILE_ENC, 0, 232, 36, 265, "文件加密"},
};

bool isOneOf(int id, std::initializer_list<int> ids) {
    for (int x : ids)
        if (x == id)
            return true;
    return false;
}

} // namespace

MainFrame::MainFrame(const PageFactory& factory, QWidget* parent) : QMainWindow(parent), m_factory(factory) {
    setWindowTitle(QString::fromUtf8(kFrameTitle));
    setWindowIcon(art::icon(IDI_MAINFRAME));
    buildMenuBar();
    buildPanel();
    buildTray();
    // F1 opens the help file, as the help menu does.
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { onCommand(ID_HELP_CONTENTS); });
    resize(kInitialWidth, kInitialHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    m_placementRestored = restorePlacement();
#ifndef QT_NO_SESSIONMANAGER
    // Logging out must not be held up by the close-to-tray rule.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] {
        m_exiting = true;
        savePlacement();
    });
#endif
}

MainFrame::~MainFrame() = default;

void MainFrame::buildMenuBar() {
    for (int i = 0; i < menus::popupCount(IDR_MAINFRAME); ++i) {
        QMenu* menu = menus::loadPopup(IDR_MAINFRAME, i, this);
        menuBar()->addMenu(menu);
        connect(menu, &QMenu::triggered, this, &MainFrame::onMenuTriggered);
    }
}

void MainFrame::buildPanel() {
    m_panel = new NavigationPanel(this);
    m_panel->setObjectName(QString::number(AFX_IDW_PANE_FIRST));
    setCentralWidget(m_panel);

    m_panel->setDecoration(NavigationPanel::Background, IDB_PANEL_BACKGROUND);
    m_panel->setDecoration(NavigationPanel::TopBand, IDB_PANEL_TOP_BAND);
    m_panel->setDecoration(NavigationPanel::BottomBand, IDB_PANEL_BOTTOM_BAND);
    m_panel->setDecoration(NavigationPanel::LeftBar, IDB_PANEL_LEFT_BAR);
    m_panel->setDecoration(NavigationPanel::RightStrip, IDB_PANEL_RIGHT_STRIP);
    m_panel->setDecoration(NavigationPanel::BottomLogo, IDB_PANEL_LOGO);
    m_panel->setDecoration(NavigationPanel::TitleStrip, IDB_PANEL_TITLE_STRIP);
    m_panel->setItemCount(kPageCount);
    for (int i = 0; i < kPageCount; ++i) {
        const NavItem& item = kNavItems[i];
        m_panel->setItemBitmap(i, item.bitmap);
        m_panel->setItemRect(i, item.left, item.top, item.right, item.bottom);
        m_panel->setItemText(i, QString::fromUtf8(item.text));
    }
    m_panel->setPageSource([this](int index) { makePage(index); });
    if (qEnvironmentVariableIntValue("YAOXIA_EAGER_PAGES") == 1)
        for (int i = 0; i < kPageCount; ++i)
            makePage(i);
}

Page* MainFrame::makePage(int index) {
    if (index < 0 || index >= kPageCount)
        return nullptr;
    Page*& slot = m_pages[static_cast<size_t>(index)];
    if (slot || !m_factory)
        return slot;
    Page* page = m_factory(index, m_panel);
    if (!page)
        return nullptr;
    slot = page;
    page->setMenuBarHost(this);
    page->hide();
    page->setGeometry(m_panel->pageRect());
    if (auto* lifecycle = qobject_cast<LifecyclePage*>(page)) {
        // A certificate the site handed out goes to the page of its store, which stays hidden
        // so that the site keeps its place.
        connect(lifecycle, &LifecyclePage::importRequested, this, [this](int target, const QString& path) {
            if (auto* certPage = qobject_cast<CertListPage*>(this->page(target)))
                certPage->importFile(path);
        });
    }
    m_panel->attachPage(index, page);
    return page;
}

void MainFrame::buildTray() {
    m_tray = new TrayIcon(this);
    m_trayMenu = menus::loadPopup(IDR_TRAY, 0, this);
    if (QAction* open = menus::findCommand(m_trayMenu, ID_TRAY_OPEN))
        open->setCheckable(true);
    connect(m_trayMenu, &QMenu::aboutToShow, this, [this] {
        if (QAction* open = menus::findCommand(m_trayMenu, ID_TRAY_OPEN))
            open->setChecked(isVisible());
    });
    connect(m_trayMenu, &QMenu::triggered, this, &MainFrame::onMenuTriggered);
    // Where the desktop has no tray the program still runs; closing then minimises instead.
    if (m_tray->create(QString::fromUtf8(kFrameTitle), QIcon(), kTrayIconId)) {
        m_tray->setIcon(IDI_MAINFRAME);
        m_tray->setMenu(m_trayMenu);
    }
    connect(m_tray, &TrayIcon::doubleClicked, this, &MainFrame::showFromTray);
}

Page* MainFrame::page(int index) const {
    // Building a page on demand does not change what the frame is, only when the work is done.
    return const_cast<MainFrame*>(this)->makePage(index);
}

int MainFrame::currentPageIndex() const {
    return m_panel->selectedIndex();
}

void MainFrame::replaceMenu(int position, QMenu* menu, const QString& title) {
    QMenuBar* bar = menuBar();
    QList<QAction*> actions = bar->actions();
    if (position < 0 || position > actions.size() || !menu)
        return;
    if (position < actions.size()) {
        QAction* old = actions[position];
        bar->removeAction(old);
        if (QMenu* oldMenu = old->menu(); oldMenu && oldMenu != menu)
            oldMenu->deleteLater(); // it may be the menu whose command is running now
    }
    menu->setParent(this, menu->windowFlags());
    menu->setTitle(title);
    actions = bar->actions();
    bar->insertMenu(position < actions.size() ? actions[position] : nullptr, menu);
    connect(menu, &QMenu::triggered, this, &MainFrame::onMenuTriggered, Qt::UniqueConnection);
}

QMenu* MainFrame::menuAt(int position) const {
    const QList<QAction*> actions = menuBar()->actions();
    return position >= 0 && position < actions.size() ? actions[position]->menu() : nullptr;
}

void MainFrame::onMenuTriggered(QAction* action) {
    const int id = menus::commandId(action);
    if (id >= 0)
        onCommand(id);
}

int MainFrame::commandTarget(int id, int currentPage, int* pageCommand) {
    if (pageCommand)
        *pageCommand = id;
    // Commands that always belong to one page.
    if (isOneOf(id, {ID_BROWSER_BACK, ID_BROWSER_FORWARD, ID_BROWSER_HOME, ID_BROWSER_REFRESH}))
        return kPageLifecycle;
    if (isOneOf(id, {ID_FILE_ENCRYPT, ID_FILE_DECRYPT, ID_DEFAULT_ENC_CERT}))
        return kPageFileEnc;
    if (isOneOf(id, {ID_MAIL_OPEN, ID_MAIL_CONFIGURE, ID_MAIL_REFRESH, ID_MAIL_BACK, ID_MAIL_BATCH_SHOWN,
                     ID_MAIL_BATCH_ENTRY}))
        return kPageSecureMail;
    if (id == ID_CERT_IMPORT_LDAP)
        return kPageOtherPeople;

    // Commands that go to the current page, when it takes them.
    const bool certPage =
        currentPage == kPagePersonal || currentPage == kPageOtherPeople || currentPage == kPageCa;
    if (isOneOf(id, {ID_CERT_OPEN, ID_CERT_EXPORT, ID_CERT_REFRESH, ID_CERT_PROPERTIES, ID_CERT_IMPORT}))
        return certPage ? currentPage : -1;
    if (isOneOf(id, {ID_CERT_DELETE, ID_CERT_CRL_CHECK}))
        return currentPage == kPagePersonal || currentPage == kPageOtherPeople ? currentPage : -1;
    if (isOneOf(id, {ID_VIEW_LARGE_ICONS, ID_VIEW_SMALL_ICONS, ID_VIEW_LIST, ID_VIEW_DETAILS})) {
        if (certPage)
            return currentPage;
        if (currentPage == kPageSecureMail || currentPage == kPageFileEnc) {
            // These pages have their own ids for the view commands.
            if (pageCommand) {
                *pageCommand = id == ID_VIEW_LARGE_ICONS   ? ID_PAGE_VIEW_LARGE_ICONS
                               : id == ID_VIEW_SMALL_ICONS ? ID_PAGE_VIEW_SMALL_ICONS
                               : id == ID_VIEW_DETAILS     ? ID_PAGE_VIEW_DETAILS
                                                           : ID_VIEW_LIST;
            }
            return currentPage;
        }
        return -1;
    }
    return -1;
}

bool MainFrame::onCommand(int id) {
    switch (id) {
    case ID_TRAY_OPEN:
        toggleVisible();
        return true;
    case ID_HELP_CONTENTS:
    case ID_HELP_INDEX:
    case ID_HELP:
        OpenHelpFile();
        return true;
    case ID_HOMEPAGE:
        prompt().openWithDesktop(maker::kHomePage);
        return true;
    case ID_APP_ABOUT:
        showAbout();
        return true;
    case ID_APP_EXIT:
        exitProgram();
        return true;
    default:
        break;
    }
    if (const auto it = m_handlers.find(id); it != m_handlers.end()) {
        if (it->second)
            it->second();
        return true;
    }
    int pageCommand = id;
    const int target = commandTarget(id, currentPageIndex(), &pageCommand);
    Page* targetPage = page(target);
    if (!targetPage)
        return false;
    const bool handled = targetPage->onCommand(pageCommand);
    emit commandForwarded(target, pageCommand);
    return handled;
}

void MainFrame::setCommandHandler(int id, std::function<void()> handler) {
    m_handlers[id] = std::move(handler);
}

void MainFrame::showAbout() {
    AboutDialog dialog(this);
    dialog.exec();
}

void MainFrame::restoreFromMinimised() {
    if (windowState() & Qt::WindowMinimized)
        setWindowState(windowState() & ~Qt::WindowMinimized);
}

void MainFrame::bringToFront() {
    // A minimised window is restored, which also shows it when it was minimised and then hidden
    // by the tray's "打开"; a window closed to the tray keeps hiding.
    if (windowState() & Qt::WindowMinimized) {
        restoreFromMinimised();
        show();
    }
    QWidget* front = QApplication::activeModalWidget();
    if (!front || !front->isVisible())
        front = this;
    if (front->isVisible()) {
        front->raise();
        front->activateWindow();
    }
}

void MainFrame::toggleVisible() {
    if (!isVisible()) {
        show();
        restoreFromMinimised();
        raise();
        activateWindow();
    } else {
        savePlacement();
        showMinimized();
        hide();
    }
    m_tray->setIcon(IDI_MAINFRAME);
}

void MainFrame::showFromTray() {
    show();
    restoreFromMinimised();
    raise();
    activateWindow();
}

bool MainFrame::restorePlacement() {
    const QByteArray saved = QByteArray::fromBase64(
        QByteArray::fromStdString(settings::GetProfileString(kPlacementSection, kPlacementEntry)));
    // Qt's geometry record keeps the normal size and position, the maximised state and the
    // screen, and moves a window that would come up off every screen back onto one.
    return !saved.isEmpty() && restoreGeometry(saved);
}

void MainFrame::savePlacement() {
    if (!isVisible())
        return; // hidden or never shown: what was saved last still holds
    settings::WriteProfileString(kPlacementSection, kPlacementEntry, saveGeometry().toBase64().toStdString());
}

void MainFrame::exitProgram() {
    savePlacement();
    m_exiting = true;
    m_tray->remove();
    close();
    QCoreApplication::quit();
}

void MainFrame::closeEvent(QCloseEvent* event) {
    if (m_exiting) {
        event->accept();
        return;
    }
    // The window goes, the program stays: in the tray, or minimised where there is no tray so
    // that the window can always be found again.
    event->ignore();
    savePlacement();
    if (m_tray->isPresent())
        hide();
    else
        showMinimized();
}

void MainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_firstShowDone) {
        m_firstShowDone = true;
        if (m_firstShowAction)
            m_firstShowAction();
    }
}

} // namespace yx
