// The three certificate pages inside the main window: switching pages puts each page's
// operation and view menus into the menu bar, menu-bar commands reach the current page (and
// "从LDAP导入..." always the other people's page), and a click on a row changes the menu bar's
// operation menu to its row form.
#include "CertPageFixture.h"
#include "pages/CaCertPage.h"
#include "pages/OtherPeopleCertPage.h"
#include "pages/PersonalCertPage.h"
#include "shell/MainFrame.h"
#include "shell/NavigationPanel.h"

using namespace certpagetest;

class CertPagesInFrameTest : public QObject {
    Q_OBJECT

private:
    static yx::Page* certPagesOnly(int index, QWidget* parent) {
        switch (index) {
        case yx::kPagePersonal:
            return new yx::PersonalCertPage(parent);
        case yx::kPageOtherPeople:
            return new yx::OtherPeopleCertPage(parent);
        case yx::kPageCa:
            return new yx::CaCertPage(parent);
        default:
            return nullptr;
        }
    }

    static void showPage(yx::MainFrame& frame, int index) {
        QTest::mouseClick(frame.panel(), Qt::LeftButton, {}, frame.panel()->itemRect(index).center());
        QTRY_COMPARE(frame.currentPageIndex(), index);
    }

    static QString menuBarText(yx::MainFrame& frame, int position) {
        return describe(frame.menuAt(position)).join(QLatin1Char(','));
    }

    static void trigger(yx::MainFrame& frame, int position, int id) {
        QAction* action = yx::menus::findCommand(frame.menuAt(position), id);
        QVERIFY2(action, qPrintable(QString::number(id)));
        action->trigger(); // as a click in the menu bar's popup
    }

private slots:
    void pagesOwnTheMenuBarAndTakeItsCommands() {
        yxtest::ScopedGuiEnv env;
        RecordingPrompt prompt;
        Pki pki;
        auto mine = pki.make("本人", Pki::Kind::NoCrl);
        yxtest::TempDir files;
        QCOMPARE(Pki::addPersonal(mine, files.path()), 0);
        QCOMPARE(Pki::addOther(pki.make("他人", Pki::Kind::NoCrl)), 0);

        yx::MainFrame frame(&CertPagesInFrameTest::certPagesOnly);
        frame.resize(900, 600);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));

        showPage(frame, yx::kPagePersonal);
        auto* personal = qobject_cast<yx::PersonalCertPage*>(frame.page(yx::kPagePersonal));
        QVERIFY(personal && personal->isVisible());
        QCOMPARE(personal->model()->rowCount(), 1);
        QList<QAction*> top = frame.menuBar()->actions();
        QCOMPARE(top.size(), 5);
        QCOMPARE(top[2]->text(), QStringLiteral("操作(&O)"));
        QCOMPARE(top[3]->text(), QStringLiteral("查看(&V)"));
        QCOMPARE(menuBarText(frame, 2), QStringLiteral("32782 导入,-,32778 刷新...,-,57670 帮助"));

        // A view command from the menu bar reaches the page.
        trigger(frame, 3, yx::res::ID_VIEW_DETAILS);
        QCOMPARE(personal->listView()->mode(), yx::CertListView::Mode::Details);
        QVERIFY(yx::menus::findCommand(frame.menuAt(3), yx::res::ID_VIEW_DETAILS)->isChecked());

        // A click on a row: the operation menu in the bar becomes the row form, and its commands work.
        leftClick(personal, 0);
        QCOMPARE(menuBarText(frame, 2),
                 QStringLiteral("32774 打开,-,32775 导出...,32776 删除...,32778 刷新,-,"
                                "32779 CRL检查,32780 属性,-,32870 发布到浏览器和邮件程序...,32871 "
                                "从浏览器和邮件程序撤回...,-,57670 帮助"));
        answerNextDialog({{1013, QStringLiteral("从菜单栏改名")}});
        trigger(frame, 2, yx::res::ID_CERT_PROPERTIES);
        QCOMPARE(personal->model()->text(0, 3), QStringLiteral("从菜单栏改名"));

        // The other people's page has its own menus; the CA page its own again.
        showPage(frame, yx::kPageOtherPeople);
        QCOMPARE(menuBarText(frame, 2),
                 QStringLiteral(
                     "[导入],  32782 从文件导入...,  32807 从LDAP导入...,-,32778 刷新...,-,57670 帮助"));
        auto* other = qobject_cast<yx::OtherPeopleCertPage*>(frame.page(yx::kPageOtherPeople));
        QCOMPARE(other->model()->text(0, 0), QStringLiteral("他人"));
        showPage(frame, yx::kPageCa);
        QCOMPARE(menuBarText(frame, 2), QStringLiteral("32782 导入,-,32778 刷新...,-,57670 帮助"));
        auto* ca = qobject_cast<yx::CaCertPage*>(frame.page(yx::kPageCa));
        QCOMPARE(ca->model()->rowCount(), 1);
        leftClick(ca, 0);
        QCOMPARE(menuBarText(frame, 2),
                 QStringLiteral("32774 打开,-,32775 导出...,-,32778 刷新,-,32780 属性,-,32870 "
                                "发布到浏览器和邮件程序...,32871 从浏览器和邮件程序撤回...,-,57670 帮助"));

        // "从LDAP导入..." goes to the other people's page whichever page is current.
        auto title = std::make_shared<QString>();
        onNextModal([title](QDialog* d) {
            *title = d->objectName();
            click(d, 2);
        });
        QVERIFY(frame.onCommand(yx::res::ID_CERT_IMPORT_LDAP));
        QCOMPARE(*title, QStringLiteral("208"));

        // Import from the bar goes to the current page: the CA page's certificate dialog.
        onNextModal([title](QDialog* d) {
            *title = d->objectName();
            click(d, 2);
        });
        QVERIFY(frame.onCommand(yx::res::ID_CERT_IMPORT));
        QCOMPARE(*title, QStringLiteral("174"));
        QVERIFY(prompt.messages.empty());
    }
};

QTEST_MAIN(CertPagesInFrameTest)
#include "CertPagesInFrameTest.moc"
