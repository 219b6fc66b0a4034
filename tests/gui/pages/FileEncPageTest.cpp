// The file encryption page: its items, icons, views and menus, double clicks and context menus,
// the encrypt flow (a target without ".kvx" gets it), the decrypt and default-certificate
// commands, and files dropped on it. Screenshots of the page.
#include "../dialogs/CertDialogTestKit.h"
#include "../dialogs/ModalScript.h"
#include "../encryption/FileEncTestKit.h"
#include "GuiTestEnv.h"
#include "RecordingPrompt.h"

#include "MenuResources.h"
#include "ResourceIds.h"
#include "dialogs/ConfigDialog.h"
#include "dialogs/ConfigDialogIds.h"
#include "dialogs/EncDialogIds.h"
#include "pages/FileEncPage.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QHeaderView>
#include <QListView>
#include <QMimeData>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTreeView>
#include <QtTest>

using namespace yx;
using namespace yxtest;

namespace {

// A menu bar with the five positions of the frame's.
class TestMenuBar : public MenuBarHost {
public:
    ~TestMenuBar() override {
        for (QMenu* m : menus)
            delete m;
    }
    void replaceMenu(int position, QMenu* menu, const QString& title) override {
        delete menus[position];
        menu->setTitle(title);
        menus[position] = menu;
    }
    QMenu* menuAt(int position) const override { return menus[position]; }
    QMenu* menus[5] = {};
};

// The command ids of a menu's items in order: -1 for a separator, -2 for a submenu.
QList<int> commandsOf(const QMenu* menu) {
    QList<int> ids;
    for (QAction* a : menu->actions())
        ids << (a->isSeparator() ? -1 : a->menu() ? -2 : menus::commandId(a));
    return ids;
}

QStringList textsOf(const QMenu* menu) {
    QStringList texts;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            texts << a->text();
    return texts;
}

QPoint itemCenter(QAbstractItemView* view, int row) {
    return view->visualRect(view->model()->index(row, 0)).center();
}

// A point of the view's empty space, below and right of every item.
QPoint emptySpot(QAbstractItemView* view) {
    return QPoint(view->viewport()->width() - 5, view->viewport()->height() - 5);
}

void rightClick(QAbstractItemView* view, const QPoint& pos) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, view->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(view->viewport(), &event);
}

// Chooses a command of the open popup as the user does: highlight and Enter.
void choose(QMenu* menu, int id) {
    QAction* action = menus::findCommand(menu, id);
    QVERIFY(action);
    menu->setActiveAction(action);
    QTest::keyClick(menu, Qt::Key_Return);
}

// A double click as the window system delivers it: press, release, double click, release.
void doubleClick(QAbstractItemView* view, const QPoint& pos) {
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, pos);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, pos);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, pos);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, pos);
}

bool dropOn(QWidget* target, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint pos(10, 10);
    QDragEnterEvent enter(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(pos), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

auto cancelDialog = [](QDialog* d) { d->reject(); };

} // namespace

class FileEncPageTest : public QObject, public FreshGuiTest {
    Q_OBJECT
private slots:
    void init() { startTest(); }
    void cleanup() { endTest(); }

    void itemsColumnsAndIcons();
    void viewCommandsSwitchTheView();
    void activationPutsTheMenusIntoTheMenuBar();
    void contextMenusOfItemsAndSpace();
    void rightClickOnAnItemRunsItsCommand();
    void rightClickOnSpaceOffersTheViews();
    void doubleClickBetweenItemsDoesNothing();
    void doubleClickOnTheCertificateItemOpensTheFourthTab();
    void presetPathGoesToTheDecryptDialog();
    void encryptFlowAppendsKvxToTheTarget();
    void encryptFlowKeepsATargetEndingInKvx();
    void droppedFileIsEncrypted();
    void droppedKvxFileIsDecrypted();
    void foreignDropsAreRefused();
    void screenshots();
};

void FileEncPageTest::itemsColumnsAndIcons() {
    FileEncPage page;
    QCOMPARE(page.objectName(), QStringLiteral("146"));
    QCOMPARE(page.pageIndex(), 5);
    QCOMPARE(control<QWidget>(&page, res::IDC_FILE_ENC_LIST), page.listControl());
    QStandardItemModel* model = page.model();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->columnCount(), 3);
    const QStringList names = {"文件加密", "文件解密", "设置默认加密证书"};
    const QStringList remarks = {"用证书加密文件", "用证书解密文件", "设置默认加密证书"};
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(model->item(row, 0)->text(), names[row]);
        QCOMPARE(model->item(row, 1)->text(), remarks[row]);
        QVERIFY2(!model->item(row, 0)->icon().isNull(), qPrintable(names[row]));
        QVERIFY(!model->item(row, 0)->icon().pixmap(32, 32).isNull());
        QVERIFY(model->item(row, 2)->text().isEmpty());
    }
    // Three different pictures.
    const QImage a = model->item(0, 0)->icon().pixmap(32, 32).toImage();
    const QImage b = model->item(1, 0)->icon().pixmap(32, 32).toImage();
    const QImage c = model->item(2, 0)->icon().pixmap(32, 32).toImage();
    QVERIFY(a != b && b != c && a != c);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("名称"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("备注"));
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QString());
    QCOMPARE(page.detailsView()->header()->sectionSize(0), 100);
    QCOMPARE(page.detailsView()->header()->sectionSize(1), 150);
    QCOMPARE(page.detailsView()->header()->sectionSize(2), 0);
    QCOMPARE(page.detailsView()->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(page.lastHit(), -1);
    QCOMPARE(page.presetPath(), QString());
}

void FileEncPageTest::viewCommandsSwitchTheView() {
    FileEncPage page;
    page.resize(500, 300);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    // Large icons at start, the list covering the whole page.
    QCOMPARE(page.viewMode(), FileEncPage::ViewMode::LargeIcons);
    QCOMPARE(page.currentView(), page.iconView());
    QCOMPARE(page.iconView()->viewMode(), QListView::IconMode);
    QCOMPARE(page.iconView()->iconSize(), QSize(32, 32));
    QCOMPARE(page.listControl()->geometry(), page.rect());
    page.resize(640, 400);
    QCoreApplication::processEvents();
    QCOMPARE(page.listControl()->geometry(), page.rect());

    QVERIFY(page.onCommand(res::ID_PAGE_VIEW_SMALL_ICONS));
    QCOMPARE(page.viewMode(), FileEncPage::ViewMode::SmallIcons);
    QCOMPARE(page.iconView()->viewMode(), QListView::ListMode);
    QCOMPARE(page.iconView()->flow(), QListView::LeftToRight);
    QCOMPARE(page.iconView()->iconSize(), QSize(16, 16));
    QVERIFY(page.iconView()->isVisible());

    QVERIFY(page.onCommand(res::ID_VIEW_LIST));
    QCOMPARE(page.viewMode(), FileEncPage::ViewMode::List);
    QCOMPARE(page.iconView()->flow(), QListView::TopToBottom);
    QCOMPARE(page.iconView()->iconSize(), QSize(16, 16));

    page.iconView()->setCurrentIndex(page.model()->index(1, 0));
    QVERIFY(page.onCommand(res::ID_PAGE_VIEW_DETAILS));
    QCOMPARE(page.currentView(), page.detailsView());
    QVERIFY(page.detailsView()->isVisible());
    QVERIFY(!page.iconView()->isVisible());
    QCOMPARE(page.detailsView()->currentIndex().row(), 1); // the two views share the selection
    QVERIFY(!page.detailsView()->header()->isHidden());

    QVERIFY(page.onCommand(res::ID_PAGE_VIEW_LARGE_ICONS));
    QCOMPARE(page.currentView(), page.iconView());
    QCOMPARE(page.iconView()->viewMode(), QListView::IconMode);
    QVERIFY(page.listControl()->updatesEnabled());

    // The frame's common view ids are not the page's own.
    QVERIFY(!page.onCommand(res::ID_VIEW_DETAILS));
    QCOMPARE(page.viewMode(), FileEncPage::ViewMode::LargeIcons);
}

void FileEncPageTest::activationPutsTheMenusIntoTheMenuBar() {
    FileEncPage page;
    TestMenuBar bar;
    page.setMenuBarHost(&bar);
    page.activate();
    QVERIFY(bar.menus[2] && bar.menus[3]);
    QCOMPARE(bar.menus[2]->title(), QStringLiteral("操作(&O)"));
    QCOMPARE(commandsOf(bar.menus[2]), QList<int>({32817, 32818, 32830, -1, 57670}));
    QCOMPARE(textsOf(bar.menus[2]), QStringList({"加密...", "解密...", "配置", "帮助"}));
    QCOMPARE(bar.menus[3]->title(), QStringLiteral("查看(&V)"));
    QCOMPARE(commandsOf(bar.menus[3]), QList<int>({32784, 32785, 32786, 32787}));
    QCOMPARE(textsOf(bar.menus[3]), QStringList({"大图标", "小图标", "列表", "详细信息"}));
    // Help goes to the help file.
    QVERIFY(page.onCommand(res::ID_HELP));
    QCOMPARE(m_prompt->opened.size() + m_prompt->messages.size(), size_t(1));
}

void FileEncPageTest::contextMenusOfItemsAndSpace() {
    const std::unique_ptr<QMenu> encrypt(FileEncPage::contextMenuFor(0));
    QCOMPARE(commandsOf(encrypt.get()), QList<int>({32817, -1, 57670}));
    QCOMPARE(textsOf(encrypt.get()), QStringList({"加密...", "帮助"}));
    const std::unique_ptr<QMenu> decrypt(FileEncPage::contextMenuFor(1));
    QCOMPARE(commandsOf(decrypt.get()), QList<int>({32818, -1, 57670}));
    QCOMPARE(textsOf(decrypt.get()), QStringList({"解密...", "帮助"}));
    const std::unique_ptr<QMenu> config(FileEncPage::contextMenuFor(2));
    QCOMPARE(commandsOf(config.get()), QList<int>({32830, -1, 57670}));
    QCOMPARE(textsOf(config.get()), QStringList({"配置", "帮助"}));
    const std::unique_ptr<QMenu> space(FileEncPage::contextMenuFor(-1));
    QCOMPARE(commandsOf(space.get()), QList<int>({-2, -1, 57670}));
    QMenu* view = space->actions().first()->menu();
    QCOMPARE(view->title(), QStringLiteral("查看"));
    QCOMPARE(commandsOf(view), QList<int>({32813, 32814, 32786, 32815}));
    QCOMPARE(textsOf(view), QStringList({"大图标", "小图标", "列表", "详细信息"}));
}

void FileEncPageTest::rightClickOnAnItemRunsItsCommand() {
    FileEncPage page;
    page.resize(500, 300);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    ModalScript script;
    script
        .onPopup([](QMenu* menu) {
            QCOMPARE(commandsOf(menu), QList<int>({32818, -1, 57670}));
            choose(menu, res::ID_FILE_DECRYPT);
        })
        .on(res::IDD_DECRYPT_FILE, cancelDialog);
    rightClick(page.iconView(), itemCenter(page.iconView(), 1));
    QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    QCOMPARE(script.seen, QStringList({"popup", "227"}));
    QCOMPARE(page.lastHit(), 1);
}

void FileEncPageTest::rightClickOnSpaceOffersTheViews() {
    FileEncPage page;
    page.resize(500, 300);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.onCommand(res::ID_VIEW_LIST);
    ModalScript script;
    script
        .onPopup([](QMenu* menu) {
            QCOMPARE(commandsOf(menu), QList<int>({-2, -1, 57670}));
            menu->setActiveAction(menu->actions().first());
            QTest::keyClick(menu, Qt::Key_Right); // opens the "查看" submenu
        })
        .onPopup([](QMenu* submenu) {
            QCOMPARE(commandsOf(submenu), QList<int>({32813, 32814, 32786, 32815}));
            choose(submenu, res::ID_PAGE_VIEW_DETAILS);
        });
    rightClick(page.iconView(), emptySpot(page.iconView()));
    QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    QCOMPARE(page.lastHit(), -1);
    QCOMPARE(page.viewMode(), FileEncPage::ViewMode::Details);

    // The same in the details view: space below the rows.
    ModalScript again;
    again.onPopup([](QMenu* menu) {
        QCOMPARE(commandsOf(menu), QList<int>({-2, -1, 57670}));
        menu->close();
    });
    rightClick(page.detailsView(), emptySpot(page.detailsView()));
    QVERIFY2(again.waitFinished(), qPrintable(again.failure()));
    QVERIFY(staysWithoutDialog());
}

void FileEncPageTest::doubleClickBetweenItemsDoesNothing() {
    FileEncPage page;
    page.resize(500, 300);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    doubleClick(page.iconView(), emptySpot(page.iconView()));
    QVERIFY(staysWithoutDialog());
    QCOMPARE(page.lastHit(), -1);
    QVERIFY(m_prompt->messages.empty());
}

void FileEncPageTest::doubleClickOnTheCertificateItemOpensTheFourthTab() {
    FileEncPage page;
    page.resize(500, 300);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    ModalScript script;
    script.on(res::IDD_CONFIG, [](QDialog* d) {
        auto* config = qobject_cast<CConfigDialog*>(d);
        QVERIFY(config);
        QCOMPARE(config->tabs()->currentIndex(), 3);
        QVERIFY(config->tabs()->currentWidget()->isVisible());
        QCOMPARE(config->tabs()->currentWidget()->objectName(), QStringLiteral("229"));
        d->reject();
    });
    doubleClick(page.iconView(), itemCenter(page.iconView(), 2));
    QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    QCOMPARE(page.lastHit(), 2);

    // The same from the details view, by the item's own command.
    page.onCommand(res::ID_PAGE_VIEW_DETAILS);
    ModalScript encrypt;
    encrypt.on(res::IDD_ENCRYPT_FILE, cancelDialog);
    doubleClick(page.detailsView(), itemCenter(page.detailsView(), 0));
    QVERIFY2(encrypt.waitFinished(), qPrintable(encrypt.failure()));
    QCOMPARE(page.lastHit(), 0);
}

void FileEncPageTest::presetPathGoesToTheDecryptDialog() {
    FileEncPeople people;
    people.addOwnCertificate("解密者", "me@example.com");
    const QString dir = m_env->root() + QStringLiteral("/文件 夹");
    QVERIFY(QDir().mkpath(dir));
    const QString plain = dir + QStringLiteral("/报告.doc");
    QVERIFY(writeText(plain, "quarterly figures\n"));

    // Encrypt it from the page, then hand the encrypted file to the page as its preset path.
    FileEncPage page;
    ModalScript script;
    script.on(res::IDD_ENCRYPT_FILE, [plain](QDialog* d) {
        control<QLineEdit>(d, res::IDC_ENC_SOURCE)->setText(plain);
        control<QLineEdit>(d, res::IDC_ENC_TARGET)->setText(plain + QStringLiteral(".kvx"));
        clickId(d, res::IDOK);
    });
    page.onCommand(res::ID_FILE_ENCRYPT);
    QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    QVERIFY(m_prompt->shown("加密成功！"));

    // Leading white space, then the surrounding quotes go; trailing white space would stay.
    page.SetPresetPath(QStringLiteral("  \t\"") + plain + QStringLiteral(".kvx\""));
    QCOMPARE(page.presetPath(), plain + QStringLiteral(".kvx"));
    page.SetPresetPath(QStringLiteral(" \"a.kvx\" "));
    QCOMPARE(page.presetPath(), QStringLiteral("a.kvx\" "));
    page.SetPresetPath(QStringLiteral("\"") + plain + QStringLiteral(".kvx\""));

    ModalScript decrypt;
    decrypt.on(res::IDD_DECRYPT_FILE, [plain](QDialog* d) {
        QCOMPARE(textOf(d, res::IDC_DEC_SOURCE), plain + QStringLiteral(".kvx"));
        QCOMPARE(textOf(d, res::IDC_DEC_TARGET), plain);
        d->reject();
    });
    page.onCommand(res::ID_FILE_DECRYPT);
    QVERIFY2(decrypt.waitFinished(), qPrintable(decrypt.failure()));
}

void FileEncPageTest::encryptFlowAppendsKvxToTheTarget() {
    FileEncPeople people;
    people.addOwnCertificate("加密者", "me@example.com");
    const QString plain = m_env->root() + QStringLiteral("/合同 草稿.txt");
    QVERIFY(writeText(plain, QByteArray(5000, 'x')));
    const QString typed = m_env->root() + QStringLiteral("/加密结果");
    FileEncPage page;
    page.resize(500, 300);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    ModalScript script;
    script.on(res::IDD_ENCRYPT_FILE, [plain, typed](QDialog* d) {
        QCOMPARE(textOf(d, res::IDC_ENC_SOURCE), QString()); // the page's flow starts empty
        typeInto(d, res::IDC_ENC_SOURCE, plain);
        typeInto(d, res::IDC_ENC_TARGET, typed);
        clickId(d, res::IDOK);
    });
    doubleClick(page.iconView(), itemCenter(page.iconView(), 0));
    QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    QCOMPARE(page.lastHit(), 0);
    QVERIFY(m_prompt->shown("加密成功！"));
    QVERIFY(!QFile::exists(typed));
    const QByteArray written = readAll(typed + QStringLiteral(".kvx"));
    QVERIFY(written.startsWith("KavexFileType=2;"));
    QVERIFY(written.size() > 5000);
    QVERIFY(QFile::exists(plain)); // the source stays
}

void FileEncPageTest::encryptFlowKeepsATargetEndingInKvx() {
    FileEncPeople people;
    people.addOwnCertificate("加密者", "me@example.com");
    const QString plain = m_env->root() + QStringLiteral("/a.bin");
    QVERIFY(writeText(plain, "abc"));
    const QString typed = m_env->root() + QStringLiteral("/OUT.KVX"); // any case
    FileEncPage page;
    ModalScript script;
    script.on(res::IDD_ENCRYPT_FILE, [plain, typed](QDialog* d) {
        typeInto(d, res::IDC_ENC_SOURCE, plain);
        typeInto(d, res::IDC_ENC_TARGET, typed);
        clickId(d, res::IDOK);
    });
    page.onCommand(res::ID_FILE_ENCRYPT);
    QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    QVERIFY(readAll(typed).startsWith("KavexFileType=2;"));
    QVERIFY(!QFile::exists(typed + QStringLiteral(".kvx")));
}

void FileEncPageTest::droppedFileIsEncrypted() {
    const QString first = m_env->root() + QStringLiteral("/拖放 \"一\".txt");
    const QString second = m_env->root() + QStringLiteral("/second.txt");
    QVERIFY(writeText(first, "1"));
    QVERIFY(writeText(second, "2"));
    FileEncPage page;
    page.resize(500, 300);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    ModalScript script;
    script.on(res::IDD_ENCRYPT_FILE, [first](QDialog* d) {
        QCOMPARE(textOf(d, res::IDC_ENC_SOURCE), first);
        QCOMPARE(textOf(d, res::IDC_ENC_TARGET), first + QStringLiteral(".kvx"));
        d->reject();
    });
    QVERIFY(dropOn(page.iconView()->viewport(), {QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)}));
    QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    QCOMPARE(script.seen, QStringList({"225"}));
}

void FileEncPageTest::droppedKvxFileIsDecrypted() {
    const QString encrypted = m_env->root() + QStringLiteral("/旧文件.KVX");
    QVERIFY(writeText(encrypted, "not really encrypted"));
    FileEncPage page;
    page.resize(500, 300);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.onCommand(res::ID_PAGE_VIEW_DETAILS);
    QVERIFY(dropOn(page.detailsView()->viewport(), {QUrl::fromLocalFile(encrypted)}));
    // The decrypt dialog reads the file's head; this one is no encrypted file, so the dialog
    // reports that and closes, and no encrypt dialog comes up.
    QVERIFY(staysWithoutDialog(500));
    QCOMPARE(m_prompt->messages.size(), size_t(1));
    QCOMPARE(q(m_prompt->messages[0].text), QStringLiteral("加密文件格式错误！"));
}

void FileEncPageTest::foreignDropsAreRefused() {
    FileEncPage page;
    page.resize(500, 300);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QVERIFY(!dropOn(page.iconView()->viewport(), {QUrl(QStringLiteral("https://example.com/a.txt"))}));
    QVERIFY(!dropOn(page.iconView()->viewport(), {}));
    QVERIFY(staysWithoutDialog());
}

void FileEncPageTest::screenshots() {
    FileEncPage page;
    page.resize(520, 320);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    saveScreenshot(&page, QStringLiteral("file-enc-page-large-icons"));
    page.onCommand(res::ID_PAGE_VIEW_SMALL_ICONS);
    saveScreenshot(&page, QStringLiteral("file-enc-page-small-icons"));
    page.onCommand(res::ID_VIEW_LIST);
    saveScreenshot(&page, QStringLiteral("file-enc-page-list"));
    page.onCommand(res::ID_PAGE_VIEW_DETAILS);
    page.detailsView()->setCurrentIndex(page.model()->index(0, 0));
    saveScreenshot(&page, QStringLiteral("file-enc-page-details"));
}

QTEST_MAIN(FileEncPageTest)
#include "FileEncPageTest.moc"
