// The main frame: menu bar, page menus at positions 2 and 3, command forwarding, tray behaviour,
// closing to the tray, exit.
#include "shell/MainFrame.h"
#include "GuiTestEnv.h"
#include "MenuResources.h"
#include "RecordingPrompt.h"
#include "ResourceIds.h"
#include "ShellHelpers.h"
#include "pages/Page.h"
#include "shell/MakerInfo.h"
#include "shell/NavigationPanel.h"
#include "shell/TrayIcon.h"

#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <map>
#include <vector>

using namespace yx;
using namespace yx::res;

namespace {

// A page that records the commands it receives; its menus hold one marker command each.
class RecordingPage : public Page {
public:
    RecordingPage(int index, QWidget* parent) : Page(index, 800 + index, parent) {}
    std::vector<int> commands;
    int activations = 0;
    bool onCommand(int id) override {
        commands.push_back(id);
        return true;
    }

protected:
    QMenu* createOperationsMenu() override {
        // Page 1 offers the real view popup as well, so menu-bar actions can be triggered.
        return pageIndex() == kPagePersonal ? menus::loadPopup(IDR_CERT_SPACE) : new QMenu;
    }
    QMenu* createViewMenu() override { return loadCommonViewMenu(); }
    void onActivate() override { ++activations; }
};

std::vector<RecordingPage*> g_made;

Page* recordingFactory(int index, QWidget* parent) {
    auto* p = new RecordingPage(index, parent);
    g_made.push_back(p);
    return p;
}

// Command ids of a menu in order, 0 for a separator, -2 for a submenu (followed by its ids).
std::vector<int> ids(const QMenu* menu) {
    std::vector<int> out;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) {
            out.push_back(0);
        } else if (QMenu* sub = a->menu()) {
            out.push_back(-2);
            for (int id : ids(sub))
                out.push_back(id);
        } else {
            out.push_back(menus::commandId(a));
        }
    }
    return out;
}

void clickItem(MainFrame& frame, int index) {
    QTest::mouseClick(frame.panel(), Qt::LeftButton, {}, frame.panel()->itemRect(index).center());
}

} // namespace

class MainFrameTest : public QObject {
    Q_OBJECT
private slots:
    void init() { g_made.clear(); }
    void cleanup() { TrayIcon::overrideAvailability(-1); }

    void menuBarHasTheFrameMenus();
    void pageMenusAreReplacedOnEverySwitch();
    void panelIsSetUpAsTheFrameSays();
    void commandTargetsFollowTheTables();
    void commandsAreForwardedByPageIndex();
    void menuBarActionsReachTheCurrentPage();
    void frameCommandsAreHandledByTheFrame();
    void registeredHandlersRunAndUnhandledCommandsDoNothing();
    void closeHidesTheWindowIntoTheTray();
    void closeMinimisesWhereThereIsNoTray();
    void trayOpenTogglesAndDoubleClickRestores();
    void trayMenuHasItsItemsInOrder();
    void laterStartBringsTheWindowToTheFront();
    void firstShowActionRunsOnce();
    void exitEndsTheEventLoop();
};

void MainFrameTest::menuBarHasTheFrameMenus() {
    yxtest::RecordingPrompt prompt;
    MainFrame frame(recordingFactory);
    const QList<QAction*> bar = frame.menuBar()->actions();
    QCOMPARE(bar.size(), 5);
    const QStringList titles = {QStringLiteral("文件(&F)"), QStringLiteral("工具(&T)"),
                                QStringLiteral("操作(&O)"), QStringLiteral("查看(&V)"),
                                QStringLiteral("帮助(&H)")};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(bar[i]->text(), titles[i]);
    QCOMPARE(ids(bar[0]->menu()), (std::vector<int>{ID_CHECK_UPDATE, 0, ID_APP_EXIT}));
    QCOMPARE(ids(bar[1]->menu()), (std::vector<int>{ID_CHANGE_BACKUP_PASSWORD, 0, ID_CONFIG}));
    QCOMPARE(ids(bar[4]->menu()), (std::vector<int>{ID_APP_ABOUT, ID_HELP_CONTENTS}));
    QCOMPARE(frame.windowTitle(), QStringLiteral("岚川数字钥匣"));
    QVERIFY(!frame.windowIcon().isNull());
    QCOMPARE(frame.panel()->objectName(), QStringLiteral("59648"));
}

void MainFrameTest::pageMenusAreReplacedOnEverySwitch() {
    yxtest::ScopedGuiEnv env;
    yxtest::RecordingPrompt prompt;
    MainFrame frame; // the program's own pages
    frame.resize(700, 500);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));

    const std::vector<int> view = {ID_VIEW_LARGE_ICONS, ID_VIEW_SMALL_ICONS, ID_VIEW_LIST, ID_VIEW_DETAILS};
    // The ids each page's operations popup must offer (as a set: pages may group them).
    const std::map<int, std::vector<int>> ops = {
        {kPageLifecycle, {ID_BROWSER_REFRESH, ID_BROWSER_BACK, ID_BROWSER_FORWARD, ID_BROWSER_HOME}},
        {kPagePersonal, {ID_CERT_IMPORT, ID_CERT_REFRESH, ID_HELP}},
        {kPageOtherPeople, {ID_CERT_IMPORT, ID_CERT_IMPORT_LDAP, ID_CERT_REFRESH, ID_HELP}},
        {kPageCa, {ID_CERT_IMPORT, ID_CERT_REFRESH, ID_HELP}},
        {kPageSecureMail, {ID_HELP}},
        {kPageFileEnc, {ID_FILE_ENCRYPT, ID_FILE_DECRYPT, ID_DEFAULT_ENC_CERT, ID_HELP}},
    };
    // Start-up activated page 0.
    QCOMPARE(frame.currentPageIndex(), 0);
    QPointer<QMenu> previousOps = frame.menuAt(kMenuPosOperations);
    QPointer<QMenu> previousView = frame.menuAt(kMenuPosView);
    for (int index : {1, 2, 3, 4, 5, 0, 3}) {
        clickItem(frame, index);
        QCOMPARE(frame.currentPageIndex(), index);
        QMenu* opsMenu = frame.menuAt(kMenuPosOperations);
        QMenu* viewMenu = frame.menuAt(kMenuPosView);
        QVERIFY(opsMenu && viewMenu);
        QVERIFY2(opsMenu != previousOps && viewMenu != previousView, "new popups on every switch");
        QCOMPARE(frame.menuBar()->actions().size(), 5);
        QCOMPARE(frame.menuBar()->actions()[2]->text(), QStringLiteral("操作(&O)"));
        QCOMPARE(frame.menuBar()->actions()[3]->text(), QStringLiteral("查看(&V)"));
        QCOMPARE(frame.menuBar()->actions()[4]->text(), QStringLiteral("帮助(&H)"));
        for (int id : ops.at(index))
            QVERIFY2(menus::findCommand(opsMenu, id),
                     qPrintable(QStringLiteral("page %1 offers %2").arg(index).arg(id)));
        if (index == kPageLifecycle) {
            QVERIFY(viewMenu->actions().isEmpty());
            // Before the site reports anything, back and forward are greyed.
            QVERIFY(!menus::findCommand(opsMenu, ID_BROWSER_BACK)->isEnabled());
            QVERIFY(!menus::findCommand(opsMenu, ID_BROWSER_FORWARD)->isEnabled());
            QVERIFY(menus::findCommand(opsMenu, ID_BROWSER_REFRESH)->isEnabled());
        } else {
            for (int id : view)
                QVERIFY(menus::findCommand(viewMenu, id));
        }
        // The replaced popups are gone once the event loop has run.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(previousOps.isNull());
        QVERIFY(previousView.isNull());
        previousOps = opsMenu;
        previousView = viewMenu;
    }
}

void MainFrameTest::panelIsSetUpAsTheFrameSays() {
    yxtest::RecordingPrompt prompt;
    MainFrame frame(recordingFactory);
    NavigationPanel* panel = frame.panel();
    QCOMPARE(panel->itemCount(), 6);
    const QRect rects[6] = {QRect(0, 0, 36, 45),   QRect(0, 56, 36, 33),  QRect(0, 100, 36, 33),
                            QRect(0, 144, 36, 33), QRect(0, 188, 36, 33), QRect(0, 232, 36, 33)};
    const QStringList tips = {QStringLiteral("证书生命周期管理"), QStringLiteral("个人证书库"),
                              QStringLiteral("其他人证书库"),     QStringLiteral("CA证书库"),
                              QStringLiteral("安全邮件配置"),     QStringLiteral("文件加密")};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(panel->itemRect(i), rects[i]);
        QCOMPARE(panel->itemText(i), tips[i]);
        QCOMPARE(static_cast<Page*>(panel->page(i)), frame.page(i));
        QCOMPARE(frame.page(i)->pageIndex(), i);
    }
    QCOMPARE(frame.size(), QSize(MainFrame::kInitialWidth, MainFrame::kInitialHeight));
}

void MainFrameTest::commandTargetsFollowTheTables() {
    // By current page: 1 personal, 2 other people, 3 CA, 4 e-mail, 5 file; -1 none.
    struct Row {
        int id;
        int target[6];  // target page per current page 0..5
        int command[6]; // command the page receives (when targeted)
    };
    const int n = -1;
    const Row rows[] = {
        {ID_CERT_OPEN, {n, 1, 2, 3, n, n}, {0, ID_CERT_OPEN, ID_CERT_OPEN, ID_CERT_OPEN, 0, 0}},
        {ID_CERT_EXPORT, {n, 1, 2, 3, n, n}, {0, ID_CERT_EXPORT, ID_CERT_EXPORT, ID_CERT_EXPORT, 0, 0}},
        {ID_CERT_DELETE, {n, 1, 2, n, n, n}, {0, ID_CERT_DELETE, ID_CERT_DELETE, 0, 0, 0}},
        {ID_CERT_REFRESH, {n, 1, 2, 3, n, n}, {0, ID_CERT_REFRESH, ID_CERT_REFRESH, ID_CERT_REFRESH, 0, 0}},
        {ID_CERT_CRL_CHECK, {n, 1, 2, n, n, n}, {0, ID_CERT_CRL_CHECK, ID_CERT_CRL_CHECK, 0, 0, 0}},
        {ID_CERT_PROPERTIES,
         {n, 1, 2, 3, n, n},
         {0, ID_CERT_PROPERTIES, ID_CERT_PROPERTIES, ID_CERT_PROPERTIES, 0, 0}},
        {ID_CERT_IMPORT, {n, 1, 2, 3, n, n}, {0, ID_CERT_IMPORT, ID_CERT_IMPORT, ID_CERT_IMPORT, 0, 0}},
        {ID_VIEW_LARGE_ICONS,
         {n, 1, 2, 3, 4, 5},
         {0, ID_VIEW_LARGE_ICONS, ID_VIEW_LARGE_ICONS, ID_VIEW_LARGE_ICONS, ID_PAGE_VIEW_LARGE_ICONS,
          ID_PAGE_VIEW_LARGE_ICONS}},
        {ID_VIEW_SMALL_ICONS,
         {n, 1, 2, 3, 4, 5},
         {0, ID_VIEW_SMALL_ICONS, ID_VIEW_SMALL_ICONS, ID_VIEW_SMALL_ICONS, ID_PAGE_VIEW_SMALL_ICONS,
          ID_PAGE_VIEW_SMALL_ICONS}},
        {ID_VIEW_LIST,
         {n, 1, 2, 3, 4, 5},
         {0, ID_VIEW_LIST, ID_VIEW_LIST, ID_VIEW_LIST, ID_VIEW_LIST, ID_VIEW_LIST}},
        {ID_VIEW_DETAILS,
         {n, 1, 2, 3, 4, 5},
         {0, ID_VIEW_DETAILS, ID_VIEW_DETAILS, ID_VIEW_DETAILS, ID_PAGE_VIEW_DETAILS, ID_PAGE_VIEW_DETAILS}},
    };
    for (const Row& row : rows) {
        for (int current = 0; current < 6; ++current) {
            int command = -7;
            const int target = MainFrame::commandTarget(row.id, current, &command);
            QCOMPARE(target, row.target[current]);
            if (target >= 0)
                QCOMPARE(command, row.command[current]);
        }
    }
    // Commands that always go to one page, whatever page is current.
    const std::map<int, int> fixed = {
        {ID_BROWSER_BACK, 0},     {ID_BROWSER_FORWARD, 0}, {ID_BROWSER_HOME, 0},     {ID_BROWSER_REFRESH, 0},
        {ID_FILE_ENCRYPT, 5},     {ID_FILE_DECRYPT, 5},    {ID_DEFAULT_ENC_CERT, 5}, {ID_MAIL_OPEN, 4},
        {ID_MAIL_CONFIGURE, 4},   {ID_MAIL_REFRESH, 4},    {ID_MAIL_BACK, 4},        {ID_MAIL_BATCH_SHOWN, 4},
        {ID_MAIL_BATCH_ENTRY, 4}, {ID_CERT_IMPORT_LDAP, 2}};
    for (const auto& [id, page] : fixed)
        for (int current = 0; current < 6; ++current)
            QCOMPARE(MainFrame::commandTarget(id, current, nullptr), page);
    // Frame commands are no page's.
    for (int id : {ID_APP_EXIT, ID_APP_ABOUT, ID_TRAY_OPEN, ID_CONFIG, ID_HELP, 12345})
        QCOMPARE(MainFrame::commandTarget(id, 1, nullptr), -1);
}

void MainFrameTest::commandsAreForwardedByPageIndex() {
    yxtest::RecordingPrompt prompt;
    MainFrame frame(recordingFactory);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(g_made.size(), size_t(6));
    auto page = [](int i) { return g_made[static_cast<size_t>(i)]; };

    clickItem(frame, kPageCa);
    QVERIFY(frame.onCommand(ID_CERT_OPEN));
    QVERIFY(!frame.onCommand(ID_CERT_DELETE)); // not the CA page's
    QVERIFY(frame.onCommand(ID_VIEW_DETAILS));
    QCOMPARE(page(kPageCa)->commands, (std::vector<int>{ID_CERT_OPEN, ID_VIEW_DETAILS}));

    clickItem(frame, kPageFileEnc);
    QVERIFY(frame.onCommand(ID_VIEW_LARGE_ICONS));
    QVERIFY(frame.onCommand(ID_VIEW_LIST));
    QVERIFY(!frame.onCommand(ID_CERT_OPEN));
    QCOMPARE(page(kPageFileEnc)->commands, (std::vector<int>{ID_PAGE_VIEW_LARGE_ICONS, ID_VIEW_LIST}));

    // Fixed routes reach their page even when another one is current.
    QVERIFY(frame.onCommand(ID_BROWSER_BACK));
    QVERIFY(frame.onCommand(ID_MAIL_CONFIGURE));
    QVERIFY(frame.onCommand(ID_CERT_IMPORT_LDAP));
    QCOMPARE(page(kPageLifecycle)->commands, (std::vector<int>{ID_BROWSER_BACK}));
    QCOMPARE(page(kPageSecureMail)->commands, (std::vector<int>{ID_MAIL_CONFIGURE}));
    QCOMPARE(page(kPageOtherPeople)->commands, (std::vector<int>{ID_CERT_IMPORT_LDAP}));
    QVERIFY(page(kPagePersonal)->commands.empty());

    // On the lifecycle page the list commands go nowhere.
    clickItem(frame, kPageLifecycle);
    QVERIFY(!frame.onCommand(ID_CERT_REFRESH));
    QCOMPARE(page(kPageLifecycle)->commands.size(), size_t(1));
}

void MainFrameTest::menuBarActionsReachTheCurrentPage() {
    yxtest::RecordingPrompt prompt;
    MainFrame frame(recordingFactory);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    clickItem(frame, kPagePersonal);
    QMenu* ops = frame.menuAt(kMenuPosOperations);
    menus::findCommand(ops, ID_CERT_IMPORT)->trigger();
    menus::findCommand(ops, ID_VIEW_SMALL_ICONS)->trigger(); // in its "查看" submenu
    menus::findCommand(frame.menuAt(kMenuPosView), ID_VIEW_DETAILS)->trigger();
    QCOMPARE(g_made[kPagePersonal]->commands,
             (std::vector<int>{ID_CERT_IMPORT, ID_VIEW_SMALL_ICONS, ID_VIEW_DETAILS}));
    // The e-mail page gets its own id for the common view command.
    clickItem(frame, kPageSecureMail);
    menus::findCommand(frame.menuAt(kMenuPosView), ID_VIEW_SMALL_ICONS)->trigger();
    QCOMPARE(g_made[kPageSecureMail]->commands, (std::vector<int>{ID_PAGE_VIEW_SMALL_ICONS}));
    QCOMPARE(g_made[kPagePersonal]->commands.size(), size_t(3));
}

void MainFrameTest::frameCommandsAreHandledByTheFrame() {
    yxtest::RecordingPrompt prompt;
    MainFrame frame(recordingFactory);
    QVERIFY(frame.onCommand(ID_HOMEPAGE));
    QCOMPARE(prompt.opened.size(), size_t(1));
    QCOMPARE(prompt.opened[0], std::string(maker::kHomePage));
    for (int id : {ID_HELP_CONTENTS, ID_HELP_INDEX, ID_HELP})
        QVERIFY(frame.onCommand(id));
    QCOMPARE(prompt.opened.size(), size_t(4));
    for (size_t i = 1; i < 4; ++i)
        QCOMPARE(prompt.opened[i], helpFilePath());
    // Help is the frame's, not the current page's.
    for (RecordingPage* p : g_made)
        QVERIFY(p->commands.empty());
}

void MainFrameTest::registeredHandlersRunAndUnhandledCommandsDoNothing() {
    yxtest::RecordingPrompt prompt;
    MainFrame frame(recordingFactory);
    QVERIFY(!frame.onCommand(ID_CONFIG)); // not there yet: nothing happens
    int configRuns = 0;
    frame.setCommandHandler(ID_CONFIG, [&] { ++configRuns; });
    menus::findCommand(frame.menuAt(1), ID_CONFIG)->trigger();
    QCOMPARE(configRuns, 1);
    QVERIFY(prompt.messages.empty());
}

void MainFrameTest::closeHidesTheWindowIntoTheTray() {
    TrayIcon::overrideAvailability(1);
    yxtest::RecordingPrompt prompt;
    MainFrame frame(recordingFactory);
    QVERIFY(frame.trayIcon()->isPresent());
    QCOMPARE(frame.trayIcon()->tip(), QStringLiteral("岚川数字钥匣"));
    QCOMPARE(frame.trayIcon()->iconId(), kTrayIconId);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QVERIFY(!frame.close()); // refused: the program stays
    QVERIFY(!frame.isVisible());
    QVERIFY(!(frame.windowState() & Qt::WindowMinimized));
    QVERIFY(frame.trayIcon()->isPresent());
    QVERIFY(!frame.isExiting());
}

void MainFrameTest::closeMinimisesWhereThereIsNoTray() {
    TrayIcon::overrideAvailability(0);
    yxtest::RecordingPrompt prompt;
    MainFrame frame(recordingFactory);
    QVERIFY(!frame.trayIcon()->isPresent());
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QVERIFY(!frame.close());
    QVERIFY(frame.isVisible()); // never lost: it is still on the task bar
    QVERIFY(frame.windowState() & Qt::WindowMinimized);
}

void MainFrameTest::trayOpenTogglesAndDoubleClickRestores() {
    TrayIcon::overrideAvailability(1);
    yxtest::RecordingPrompt prompt;
    MainFrame frame(recordingFactory);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QVERIFY(frame.onCommand(ID_TRAY_OPEN)); // visible -> minimised and hidden
    QVERIFY(!frame.isVisible());
    QVERIFY(frame.windowState() & Qt::WindowMinimized);
    QVERIFY(frame.onCommand(ID_TRAY_OPEN)); // hidden -> shown and restored
    QVERIFY(frame.isVisible());
    QVERIFY(!(frame.windowState() & Qt::WindowMinimized));
    frame.close();
    QVERIFY(!frame.isVisible());
    emit frame.trayIcon()->doubleClicked();
    QVERIFY(frame.isVisible());
    QVERIFY(!(frame.windowState() & Qt::WindowMinimized));
}

void MainFrameTest::trayMenuHasItsItemsInOrder() {
    TrayIcon::overrideAvailability(1);
    yxtest::RecordingPrompt prompt;
    MainFrame frame(recordingFactory);
    QMenu* tray = frame.trayMenu();
    QVERIFY(tray);
    QCOMPARE(ids(tray), (std::vector<int>{ID_HOMEPAGE, 0, ID_HELP_INDEX, ID_APP_ABOUT, 0, ID_CHECK_UPDATE, 0,
                                          ID_TRAY_OPEN, ID_APP_EXIT}));
    QAction* open = menus::findCommand(tray, ID_TRAY_OPEN);
    QCOMPARE(open->text(), QStringLiteral("打开"));
    QCOMPARE(menus::findCommand(tray, ID_APP_EXIT)->text(), QStringLiteral("退出"));
    // "打开" is checked while the window is visible.
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    emit tray->aboutToShow();
    QVERIFY(open->isChecked());
    frame.hide();
    emit tray->aboutToShow();
    QVERIFY(!open->isChecked());
    // Its commands reach the frame.
    open->trigger();
    QVERIFY(frame.isVisible());
}

void MainFrameTest::laterStartBringsTheWindowToTheFront() {
    TrayIcon::overrideAvailability(1);
    yxtest::RecordingPrompt prompt;
    MainFrame frame(recordingFactory);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    frame.showMinimized();
    QVERIFY(frame.windowState() & Qt::WindowMinimized);
    frame.bringToFront();
    QVERIFY(frame.isVisible());
    QVERIFY(!(frame.windowState() & Qt::WindowMinimized));
    // Closed to the tray: it comes to the front without being shown.
    frame.close();
    frame.bringToFront();
    QVERIFY(!frame.isVisible());
    // Minimised and then hidden by the tray's "打开": restoring shows it again.
    frame.show();
    frame.onCommand(ID_TRAY_OPEN);
    QVERIFY(!frame.isVisible());
    frame.bringToFront();
    QVERIFY(frame.isVisible());
    QVERIFY(!(frame.windowState() & Qt::WindowMinimized));
}

void MainFrameTest::firstShowActionRunsOnce() {
    yxtest::RecordingPrompt prompt;
    MainFrame frame(recordingFactory);
    int runs = 0;
    frame.setFirstShowAction([&] { ++runs; });
    QCOMPARE(runs, 0);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(runs, 1);
    frame.hide();
    frame.show();
    frame.showMinimized();
    frame.showNormal();
    QCOMPARE(runs, 1);
}

void MainFrameTest::exitEndsTheEventLoop() {
    TrayIcon::overrideAvailability(1);
    yxtest::RecordingPrompt prompt;
    MainFrame frame(recordingFactory);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QVERIFY(frame.trayIcon()->isPresent());
    // "退出" from the menu bar's file menu ends the event loop; a watchdog ends it otherwise.
    QTimer::singleShot(0, &frame, [&] { menus::findCommand(frame.menuAt(0), ID_APP_EXIT)->trigger(); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(10000);
    const int rc = QCoreApplication::exec();
    QCOMPARE(rc, 0);
    QVERIFY(frame.isExiting());
    QVERIFY(!frame.isVisible());
    QVERIFY(!frame.trayIcon()->isPresent());
}

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
