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
};

void MenuResourcesTest::popupsCarryTheirIds() {
    QCOMPARE(menus::popupCount(IDR_MAINFRAME), 5);
    QCOMPARE(menus::popupTitle(IDR_MAINFRAME, 2), QStringLiteral("操作(&O)"));
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

QTEST_MAIN(MenuResourcesTest)
#include "MenuResourcesTest.moc"
