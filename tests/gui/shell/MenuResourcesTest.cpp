// Menu resources: popups built fresh with their ids, and the cutting helpers pages use.
#include "MenuResources.h"
#include "ResourceIds.h"

#include <QMenu>
#include <QPointer>
#include <QtTest>

using namespace yx;
using namespace yx::res;

class MenuResourcesTest : public QObject {
    Q_OBJECT
private slots:
    void popupsCarryTheirIds();
    void everyLoadIsANewCopy();
    void unknownMenusAreNull();
    void removingAndTakingItems();
    void menuBarAndTrayItemsInOrder();
};

namespace {

// A popup as "id text" per command, "-" per separator, in menu order.
QString describe(const QMenu* menu) {
    QStringList items;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            items << QStringLiteral("-");
        else if (action->menu())
            items << QStringLiteral("[%1]").arg(action->text());
        else
            items << QStringLiteral("%1 %2").arg(menus::commandId(action)).arg(action->text());
    }
    return items.join(QLatin1Char(','));
}

QString describePopup(int menuId, int index) {
    std::unique_ptr<QMenu> menu(menus::loadPopup(menuId, index));
    return menu ? describe(menu.get()) : QStringLiteral("<none>");
}

} // namespace

void MenuResourcesTest::popupsCarryTheirIds() {
    QCOMPARE(menus::popupCount(IDR_MAINFRAME), 5);
    QCOMPARE(menus::popupTitle(IDR_MAINFRAME, 2), QStringLiteral("操作(&O)"));
    std::unique_ptr<QMenu> tools(menus::loadPopup(IDR_MAINFRAME, 1));
    QVERIFY(tools && menus::findCommand(tools.get(), ID_CONFIG));
    QCOMPARE(menus::findCommand(tools.get(), ID_CONFIG)->text(), QStringLiteral("配置管理(&C)"));
    std::unique_ptr<QMenu> m(menus::loadPopup(IDR_CERT_ROW));
    QVERIFY(m);
    const QList<QAction*> a = m->actions();
    QCOMPARE(a.size(), 11);
    QCOMPARE(menus::commandId(a[0]), ID_CERT_OPEN);
    QCOMPARE(a[0]->text(), QStringLiteral("打开"));
    QCOMPARE(a[0]->objectName(), QStringLiteral("32774"));
    QVERIFY(a[1]->isSeparator());
    QCOMPARE(menus::commandId(a[1]), -1);
    QCOMPARE(menus::commandId(a[10]), ID_HELP);
    // Nested: the "查看" popup of 155 at position 4.
    std::unique_ptr<QMenu> space(menus::loadPopup(IDR_CERT_SPACE));
    QMenu* view = space->actions()[4]->menu();
    QVERIFY(view);
    QCOMPARE(view->title(), QStringLiteral("查看"));
    QCOMPARE(menus::findCommand(space.get(), ID_VIEW_DETAILS)->text(), QStringLiteral("详细信息"));
    QCOMPARE(menus::commandId(space->actions()[4]), -1);
}

void MenuResourcesTest::everyLoadIsANewCopy() {
    std::unique_ptr<QMenu> a(menus::loadPopup(IDR_TRAY));
    std::unique_ptr<QMenu> b(menus::loadPopup(IDR_TRAY));
    menus::removeItemAt(a.get(), 0);
    QCOMPARE(a->actions().size() + 1, b->actions().size());
}

void MenuResourcesTest::unknownMenusAreNull() {
    QVERIFY(menus::loadPopup(4242) == nullptr);
    QVERIFY(menus::loadPopup(IDR_TRAY, 1) == nullptr);
    QCOMPARE(menus::popupCount(4242), 0);
    QVERIFY(menus::findCommand(nullptr, 1) == nullptr);
}

void MenuResourcesTest::removingAndTakingItems() {
    std::unique_ptr<QMenu> m(menus::loadPopup(IDR_OTHER_SPACE));
    QPointer<QMenu> import = m->actions()[0]->menu();
    QVERIFY(import);
    menus::removeItemAt(m.get(), 0); // a submenu goes with its item
    QVERIFY(import.isNull());
    QVERIFY(!menus::findCommand(m.get(), ID_CERT_IMPORT_LDAP));
    menus::removeItemAt(m.get(), 99); // nothing there
    const int before = static_cast<int>(m->actions().size());
    QMenu* view = menus::takeSubmenuAt(m.get(), 3, nullptr);
    QVERIFY(view);
    std::unique_ptr<QMenu> owned(view);
    QCOMPARE(static_cast<int>(m->actions().size()), before - 1);
    QVERIFY(menus::findCommand(view, ID_VIEW_LIST));
    QVERIFY(!menus::findCommand(m.get(), ID_VIEW_LIST));
    QVERIFY(menus::takeSubmenuAt(m.get(), 0, nullptr) == nullptr); // a separator
    QVERIFY(!menus::removeSubmenu(m.get(), QStringLiteral("查看")));
}

// The frame's menu bar and the tray menu, every item with its id and text, in order; the page
// positions 2 and 3 start empty.
void MenuResourcesTest::menuBarAndTrayItemsInOrder() {
    QCOMPARE(menus::popupTitle(IDR_MAINFRAME, 0), QStringLiteral("文件(&F)"));
    QCOMPARE(describePopup(IDR_MAINFRAME, 0), QStringLiteral("32810 检查更新(&U)...,-,57665 退出(&X)"));
    QCOMPARE(menus::popupTitle(IDR_MAINFRAME, 1), QStringLiteral("工具(&T)"));
    QCOMPARE(describePopup(IDR_MAINFRAME, 1), QStringLiteral("32800 修改备份私钥(&M),-,32799 配置管理(&C)"));
    QCOMPARE(menus::popupTitle(IDR_MAINFRAME, 3), QStringLiteral("查看(&V)"));
    QCOMPARE(describePopup(IDR_MAINFRAME, 2), QString());
    QCOMPARE(describePopup(IDR_MAINFRAME, 3), QString());
    QCOMPARE(menus::popupTitle(IDR_MAINFRAME, 4), QStringLiteral("帮助(&H)"));
    QCOMPARE(describePopup(IDR_MAINFRAME, 4), QStringLiteral("57664 关于(&A),32802 帮助(&H)"));

    QCOMPARE(menus::popupCount(IDR_TRAY), 1);
    QCOMPARE(describePopup(IDR_TRAY, 0), QStringLiteral("32829 岚川主页,-,57667 帮助,57664 关于钥匣,-,"
                                                        "32810 检查更新...,-,32797 打开,57665 退出"));
    std::unique_ptr<QMenu> tray(menus::loadPopup(IDR_TRAY));
    QCOMPARE(menus::findCommand(tray.get(), ID_TRAY_OPEN)->objectName(), QStringLiteral("32797"));
}

QTEST_MAIN(MenuResourcesTest)
#include "MenuResourcesTest.moc"
