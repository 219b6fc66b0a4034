// The directory search dialog against a fake directory: the search conditions, one host or both,
// every message with its caption and icon, selection by the row under the mouse, clearing, the
// close box, and the worker: busy indication, a responsive window, abandoned searches.
#include "CertDialogTestKit.h"
#include "GuiTestEnv.h"
#include "LdapTestDirectory.h"

#include "Settings.h"
#include "dialogs/DlgLdapSearch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <chrono>
#include <thread>

using namespace yxtest;
using yx::MsgButtons;
using yx::MsgIcon;

namespace {

enum Id {
    kSearchAll = 1068,
    kServer = 1070,
    kName = 1071,
    kEmail = 1072,
    kList = 1073,
    kSearch = 1074,
    kClear = 1075,
    kView = 1076,
    kOk = 1,
    kCancel = 2,
};

const std::string kHostA = "ldap://dir-a.test:389/o=ca";
const std::string kHostB = "ldap://dir-b.test:1389/";

std::string displayName(CDigitalCertificate* cert) {
    std::string text;
    cert->getDisplayName(text);
    return text;
}

} // namespace

class DlgLdapSearchTest : public QObject {
    Q_OBJECT

    ScopedGuiEnv m_env;
    RecordingPrompt m_prompt;
    TestCa m_ca;
    Bytes m_zhang;  // 张三 <zhang@example.cn>
    Bytes m_zhang2; // a second certificate of the same person
    Bytes m_li;     // 李四 <li@example.cn>
    FakeDirectory* m_dir = nullptr;

    QTreeWidget* list(QWidget* dlg) { return control<QTreeWidget>(dlg, kList); }
    bool enabled(QWidget* dlg, int id) { return control<QWidget>(dlg, id)->isEnabled(); }

    void setUpDialog(CDlgLdapSearch& dlg) {
        dlg.setDirectoryQuery(m_dir->query());
        dlg.show();
    }

    void search(CDlgLdapSearch& dlg) {
        clickId(&dlg, kSearch);
        QTRY_VERIFY(!dlg.isSearching());
    }

    // The dialog set up with a name typed in; `run` also searches and waits for the results.
    void openWithName(CDlgLdapSearch& dlg, const QString& name, bool run = false) {
        setUpDialog(dlg);
        typeInto(&dlg, kName, name);
        if (run)
            search(dlg);
    }

    // Whether "view" and OK can be pressed.
    void checkButtons(QWidget* dlg, bool view, bool ok) {
        QCOMPARE(enabled(dlg, kView), view);
        QCOMPARE(enabled(dlg, kOk), ok);
    }

    // Presses the mouse over row `row` of the list (-1: empty space below the rows).
    void clickRow(QWidget* dlg, int row, Qt::MouseButton button = Qt::LeftButton) {
        QTreeWidget* tree = list(dlg);
        QPoint pos;
        if (row >= 0) {
            pos = tree->visualItemRect(tree->topLevelItem(row)).center();
        } else {
            pos = QPoint(10, tree->viewport()->height() - 5);
            QVERIFY(!tree->itemAt(pos));
        }
        QTest::mouseClick(tree->viewport(), button, {}, pos);
    }

private slots:
    void initTestCase() {
        QVERIFY(yx::settings::WriteProfileString("Directory", "HostA", kHostA));
        QVERIFY(yx::settings::WriteProfileString("Directory", "HostB", kHostB));
        CertProfile profile;
        profile.cn = "张三";
        profile.email = "zhang@example.cn";
        m_zhang = m_ca.issue(profile).der();
        profile.keyIndex = 2;
        m_zhang2 = m_ca.issue(profile).der();
        profile.cn = "李四";
        profile.email = "li@example.cn";
        m_li = m_ca.issue(profile).der();
    }

    void init() {
        m_prompt.clear();
        m_dir = new FakeDirectory;
    }

    void cleanup() {
        m_dir->release();
        delete m_dir;
        m_dir = nullptr;
        QCOMPARE(CountedCert::alive.load(), 0); // every dialog deleted what it found
    }

    void initialState() {
        CDlgLdapSearch dlg;
        QCOMPARE(CDlgLdapSearch::IDD, 208);
        QCOMPARE(dlg.objectName(), QStringLiteral("208"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("添加证书到证书库"));
        QStringList labels;
        for (QLabel* label : dlg.findChildren<QLabel*>())
            labels << label->text();
        QVERIFY(labels.contains(QStringLiteral("姓    名")));
        QVERIFY(labels.contains(QStringLiteral("电子邮件")));
        QVERIFY(labels.contains(QStringLiteral("搜索范围")));
        QCOMPARE(control<QCheckBox>(&dlg, kSearchAll)->text(), QStringLiteral("全部搜索"));
        QVERIFY(!control<QCheckBox>(&dlg, kSearchAll)->isChecked());
        QCOMPARE(control<QPushButton>(&dlg, kSearch)->text(), QStringLiteral("开始查找"));
        QCOMPARE(control<QPushButton>(&dlg, kClear)->text(), QStringLiteral("全部清除 "));
        QCOMPARE(control<QPushButton>(&dlg, kView)->text(), QStringLiteral("查看"));
        QCOMPARE(control<QPushButton>(&dlg, kOk)->text(), QStringLiteral("添加"));
        QCOMPARE(control<QPushButton>(&dlg, kCancel)->text(), QStringLiteral("取消"));
        checkButtons(&dlg, false, false);
        QCOMPARE(dlg.selectedIndex(), -1);
        QVERIFY(!dlg.GetSelectedCert());

        // Host A first and preselected, host B second, shown as host:port.
        auto* servers = control<QComboBox>(&dlg, kServer);
        QCOMPARE(servers->count(), 2);
        QCOMPARE(servers->currentIndex(), 0);
        QCOMPARE(servers->itemText(0), QStringLiteral("dir-a.test:389"));
        QCOMPARE(servers->itemText(1), QStringLiteral("dir-b.test:1389"));

        QTreeWidget* tree = list(&dlg);
        QCOMPARE(tree->columnCount(), 2);
        QCOMPARE(tree->headerItem()->text(0), QStringLiteral("姓名"));
        QCOMPARE(tree->headerItem()->text(1), QStringLiteral("邮件地址"));
        QCOMPARE(tree->columnWidth(0), 200);
        QCOMPARE(tree->columnWidth(1), 200);
        QCOMPARE(tree->topLevelItemCount(), 0);
        QVERIFY(!dlg.findChild<QProgressBar*>(QStringLiteral("ldapBusy"))->isVisible());
        dlg.show();
        saveScreenshot(&dlg, QStringLiteral("DlgLdapSearch"));
    }

    void bothFieldsEmpty() {
        CDlgLdapSearch dlg;
        setUpDialog(dlg);
        clickId(&dlg, kSearch);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "必须输入查询条件!", "钥匣", MsgIcon::Warning, MsgButtons::Ok);
        QVERIFY(!dlg.isSearching());
        QVERIFY(m_dir->calls().empty());
        QVERIFY(dlg.isVisible());
    }

    void onlyEmailSearchesHostA() {
        m_dir->hosts[kHostA].certs = {m_zhang, m_li};
        CDlgLdapSearch dlg;
        setUpDialog(dlg);
        typeInto(&dlg, kEmail, QStringLiteral("zhang@example.cn"));
        search(dlg);
        QVERIFY(m_prompt.messages.empty());
        const auto calls = m_dir->calls();
        QCOMPARE(calls.size(), size_t(1));
        QCOMPARE(calls[0].host, kHostA);
        QCOMPARE(calls[0].name, std::string());
        QCOMPARE(calls[0].email, std::string("zhang@example.cn"));

        // One row per result, in result order: display name and e-mail.
        QTreeWidget* tree = list(&dlg);
        QCOMPARE(tree->topLevelItemCount(), 2);
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("张三"));
        QCOMPARE(tree->topLevelItem(0)->text(1), QStringLiteral("zhang@example.cn"));
        QCOMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("李四"));
        QCOMPARE(tree->topLevelItem(1)->text(1), QStringLiteral("li@example.cn"));
        QVERIFY(!tree->topLevelItem(0)->icon(0).isNull());
        checkButtons(&dlg, false, false);
        saveScreenshot(&dlg, QStringLiteral("DlgLdapSearch-results"));
    }

    void selectedServerIsSearched() {
        m_dir->hosts[kHostB].certs = {m_li};
        CDlgLdapSearch dlg;
        openWithName(dlg, QStringLiteral("李四"));
        control<QComboBox>(&dlg, kServer)->setCurrentIndex(1);
        search(dlg);
        const auto calls = m_dir->calls();
        QCOMPARE(calls.size(), size_t(1));
        QCOMPARE(calls[0].host, kHostB);
        QCOMPARE(calls[0].name, std::string("李四"));
        QCOMPARE(calls[0].email, std::string());
        QCOMPARE(list(&dlg)->topLevelItemCount(), 1);
    }

    void singleHostFailure() {
        m_dir->hosts[kHostA].rc = 4;
        CDlgLdapSearch dlg;
        openWithName(dlg, QStringLiteral("张三"), true);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "目录查询失败!", "查找用户", MsgIcon::Warning, MsgButtons::Ok);
        QCOMPARE(list(&dlg)->topLevelItemCount(), 0);
        QVERIFY(dlg.isVisible());
    }

    void noMatches() {
        m_dir->hosts[kHostA] = {};
        CDlgLdapSearch dlg;
        openWithName(dlg, QStringLiteral("王五"), true);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "目录服务中不存在与搜索条件相符的项!", "查找用户",
                              MsgIcon::Information, MsgButtons::Ok);
    }

    void searchAllAFailsBFindsNothing() {
        m_dir->hosts[kHostA].rc = 3;
        m_dir->hosts[kHostB] = {};
        CDlgLdapSearch dlg;
        openWithName(dlg, QStringLiteral("张三"));
        control<QCheckBox>(&dlg, kSearchAll)->setChecked(true);
        control<QComboBox>(&dlg, kServer)->setCurrentIndex(1); // ignored when searching all
        search(dlg);
        const auto calls = m_dir->calls();
        QCOMPARE(calls.size(), size_t(2));
        QCOMPARE(calls[0].host, kHostA);
        QCOMPARE(calls[1].host, kHostB);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "目录服务中不存在与搜索条件相符的项!", "查找用户",
                              MsgIcon::Information, MsgButtons::Ok);
    }

    void searchAllBothFail() {
        m_dir->hosts[kHostA].rc = 3;
        m_dir->hosts[kHostB].rc = 5;
        CDlgLdapSearch dlg;
        setUpDialog(dlg);
        typeInto(&dlg, kEmail, QStringLiteral("x@example.cn"));
        control<QCheckBox>(&dlg, kSearchAll)->setChecked(true);
        search(dlg);
        QCOMPARE(m_dir->calls().size(), size_t(2));
        YX_EXPECT_ONE_MESSAGE(m_prompt, "目录查询失败!", "查找用户", MsgIcon::Warning, MsgButtons::Ok);
    }

    void searchAllBFailsAFinds() {
        m_dir->hosts[kHostA].certs = {m_zhang};
        m_dir->hosts[kHostB].rc = 4;
        CDlgLdapSearch dlg;
        openWithName(dlg, QStringLiteral("张三"));
        control<QCheckBox>(&dlg, kSearchAll)->setChecked(true);
        search(dlg);
        QCOMPARE(m_dir->calls().size(), size_t(2));
        QVERIFY(m_prompt.messages.empty());
        QCOMPARE(list(&dlg)->topLevelItemCount(), 1);
    }

    void searchAllAppendsBothHosts() {
        m_dir->hosts[kHostA].certs = {m_zhang};
        m_dir->hosts[kHostB].certs = {m_zhang2, m_li};
        CDlgLdapSearch dlg;
        openWithName(dlg, QStringLiteral("张三"));
        control<QCheckBox>(&dlg, kSearchAll)->setChecked(true);
        search(dlg);
        QVERIFY(m_prompt.messages.empty());
        QTreeWidget* tree = list(&dlg);
        QCOMPARE(tree->topLevelItemCount(), 3);
        QCOMPARE(tree->topLevelItem(2)->text(0), QStringLiteral("李四"));

        // A failing host is not reported when the other one answered.
        m_prompt.clear();
        m_dir->hosts[kHostA].rc = 3;
        search(dlg);
        QVERIFY(m_prompt.messages.empty());
        QCOMPARE(tree->topLevelItemCount(), 2);
        QCOMPARE(CountedCert::alive.load(), 2); // the first search's results were deleted
    }

    void selectionFollowsTheMouse() {
        m_dir->hosts[kHostA].certs = {m_zhang, m_li};
        CDlgLdapSearch dlg;
        openWithName(dlg, QStringLiteral("张三"), true);

        clickRow(&dlg, 1);
        QCOMPARE(dlg.selectedIndex(), 1);
        checkButtons(&dlg, true, true);
        QCOMPARE(displayName(dlg.GetSelectedCert()), std::string("李四"));

        clickRow(&dlg, 0, Qt::RightButton);
        QCOMPARE(dlg.selectedIndex(), 0);

        clickRow(&dlg, -1); // empty space
        QCOMPARE(dlg.selectedIndex(), -1);
        checkButtons(&dlg, false, false);
        QVERIFY(!dlg.GetSelectedCert());

        // A new search starts without a selection and with view and OK disabled.
        clickRow(&dlg, 0);
        QVERIFY(enabled(&dlg, kOk));
        clickId(&dlg, kSearch);
        checkButtons(&dlg, false, false);
        QCOMPARE(dlg.selectedIndex(), -1);
        QTRY_VERIFY(!dlg.isSearching());
    }

    void viewAndDoubleClickShowTheCertificate() {
        m_dir->hosts[kHostA].certs = {m_zhang, m_li};
        CDlgLdapSearch dlg;
        openWithName(dlg, QStringLiteral("张三"), true);
        clickRow(&dlg, 1);
        clickId(&dlg, kView);
        QCOMPARE(m_prompt.programs.size(), size_t(1));
        QVERIFY(m_prompt.programs[0].wait);

        QTreeWidget* tree = list(&dlg);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {},
                           tree->visualItemRect(tree->topLevelItem(0)).center());
        QCOMPARE(m_prompt.programs.size(), size_t(2));

        // Nothing to show without a selection.
        clickRow(&dlg, -1);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, QPoint(10, tree->viewport()->height() - 5));
        QCOMPARE(m_prompt.programs.size(), size_t(2));
    }

    void clearKeepsOkAndSelection() {
        m_dir->hosts[kHostA].certs = {m_zhang, m_li};
        CDlgLdapSearch dlg;
        openWithName(dlg, QStringLiteral("张三"));
        typeInto(&dlg, kEmail, QStringLiteral("zhang@example.cn"));
        search(dlg);
        clickRow(&dlg, 1);

        clickId(&dlg, kClear);
        QCOMPARE(textOf(&dlg, kName), QString());
        QCOMPARE(textOf(&dlg, kEmail), QString());
        QCOMPARE(list(&dlg)->topLevelItemCount(), 0);
        checkButtons(&dlg, false, true);
        QCOMPARE(dlg.selectedIndex(), 1);
        QCOMPARE(CountedCert::alive.load(), 2);

        clickId(&dlg, kOk);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(dlg.GetSelectedCert());
        QCOMPARE(displayName(dlg.GetSelectedCert()), std::string("李四"));
    }

    void clearAfterFailedConditionKeepsOkDisabled() {
        CDlgLdapSearch dlg;
        setUpDialog(dlg);
        clickId(&dlg, kClear);
        QVERIFY(!enabled(&dlg, kOk));
        QVERIFY(m_prompt.messages.empty());
    }

    void enterSearchesFromAnyField() {
        m_dir->hosts[kHostA].certs = {m_zhang};
        CDlgLdapSearch dlg;
        openWithName(dlg, QStringLiteral("张三"));
        QTest::keyClick(control<QWidget>(&dlg, kName), Qt::Key_Return);
        QVERIFY(dlg.isVisible()); // consumed: the dialog does not close
        QTRY_VERIFY(!dlg.isSearching());
        QCOMPARE(m_dir->calls().size(), size_t(1));
        QCOMPARE(list(&dlg)->topLevelItemCount(), 1);
        QCOMPARE(QApplication::focusWidget(), control<QWidget>(&dlg, kSearch));

        // Also with the focus on the check box.
        control<QWidget>(&dlg, kSearchAll)->setFocus();
        QTest::keyClick(control<QWidget>(&dlg, kSearchAll), Qt::Key_Enter);
        QTRY_VERIFY(!dlg.isSearching());
        QCOMPARE(m_dir->calls().size(), size_t(2));
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }

    void escapeCancels() {
        CDlgLdapSearch dlg;
        setUpDialog(dlg);
        QTest::keyClick(control<QWidget>(&dlg, kName), Qt::Key_Escape);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isVisible());
    }

    void busyWhileSearchingAndResponsive() {
        m_dir->hosts[kHostA].certs = {m_zhang, m_li};
        m_dir->hold();
        CDlgLdapSearch dlg;
        openWithName(dlg, QStringLiteral("张三"));
        clickId(&dlg, kSearch);

        QVERIFY(dlg.isSearching());
        QTRY_COMPARE(m_dir->waiting(), 1);
        auto* busy = dlg.findChild<QProgressBar*>(QStringLiteral("ldapBusy"));
        QVERIFY(busy->isVisible());
        QCOMPARE(busy->maximum(), 0); // indeterminate
        QVERIFY(!enabled(&dlg, kSearch));

        // The UI thread is free: timers fire, the window paints and moves.
        bool fired = false;
        QTimer::singleShot(20, &dlg, [&fired] { fired = true; });
        QTRY_VERIFY(fired);
        QVERIFY(!dlg.grab().isNull());
        saveScreenshot(&dlg, QStringLiteral("DlgLdapSearch-busy"));
        dlg.move(dlg.pos() + QPoint(15, 10));
        QCoreApplication::processEvents();

        // Enter does not start a second search meanwhile.
        QTest::keyClick(control<QWidget>(&dlg, kName), Qt::Key_Return);
        QCOMPARE(m_dir->calls().size(), size_t(1));

        m_dir->release();
        QTRY_VERIFY(!dlg.isSearching());
        QVERIFY(!busy->isVisible());
        QVERIFY(enabled(&dlg, kSearch));
        QCOMPARE(list(&dlg)->topLevelItemCount(), 2);
        QVERIFY(m_prompt.messages.empty());
    }

    void cancelWhileSearchingAbandonsResults() {
        m_dir->hosts[kHostA].certs = {m_zhang, m_li};
        m_dir->hold();
        {
            CDlgLdapSearch dlg;
            openWithName(dlg, QStringLiteral("张三"));
            clickId(&dlg, kSearch);
            QTRY_COMPARE(m_dir->waiting(), 1);
            clickId(&dlg, kCancel);
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
            m_dir->release();
            QTRY_VERIFY(!dlg.isSearching());
            // The late results are neither shown nor reported.
            QCOMPARE(list(&dlg)->topLevelItemCount(), 0);
            QVERIFY(m_prompt.messages.empty());
            QVERIFY(!dlg.GetSelectedCert());
            QCOMPARE(CountedCert::alive.load(), 0);
        }
    }

    void destroyedWhileSearchingWaitsForTheWorker() {
        m_dir->hosts[kHostA].certs = {m_zhang};
        m_dir->hold();
        std::thread releaser;
        {
            CDlgLdapSearch dlg;
            setUpDialog(dlg);
            typeInto(&dlg, kEmail, QStringLiteral("zhang@example.cn"));
            clickId(&dlg, kSearch);
            QTRY_COMPARE(m_dir->waiting(), 1);
            dlg.reject();
            // The server answers only after the dialog object has started to go away.
            releaser = std::thread([dir = m_dir] {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                dir->release();
            });
        }
        releaser.join();
        QCoreApplication::processEvents(); // a late delivery would find no dialog
        QVERIFY(m_prompt.messages.empty());
        QCOMPARE(CountedCert::alive.load(), 0);
    }

    void closeBoxDeletesResults() {
        m_dir->hosts[kHostA].certs = {m_zhang, m_li};
        CDlgLdapSearch dlg;
        openWithName(dlg, QStringLiteral("张三"), true);
        clickRow(&dlg, 0);
        QCOMPARE(CountedCert::alive.load(), 2);
        QVERIFY(dlg.close());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(CountedCert::alive.load(), 0);
        QVERIFY(!dlg.GetSelectedCert());
    }

    void cancelKeepsResultsUntilDestroyed() {
        m_dir->hosts[kHostA].certs = {m_zhang};
        {
            CDlgLdapSearch dlg;
            openWithName(dlg, QStringLiteral("张三"), true);
            clickId(&dlg, kCancel);
            QCOMPARE(CountedCert::alive.load(), 1);
        }
        QCOMPARE(CountedCert::alive.load(), 0);
    }

    void realLdapQueryFailsOnUnreachableHost() {
        // The default query, against a port nobody listens on: the failure message, soon.
        QVERIFY(yx::settings::WriteProfileString("Directory", "HostA", "ldap://127.0.0.1:9/"));
        CDlgLdapSearch dlg;
        QVERIFY(yx::settings::WriteProfileString("Directory", "HostA", kHostA));
        dlg.show();
        typeInto(&dlg, kEmail, QStringLiteral("nobody@example.cn"));
        clickId(&dlg, kSearch);
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.isSearching(), 20000);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "目录查询失败!", "查找用户", MsgIcon::Warning, MsgButtons::Ok);
    }
};

QTEST_MAIN(DlgLdapSearchTest)
#include "DlgLdapSearchTest.moc"
