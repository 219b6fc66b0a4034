// The directory search dialog against a fake directory: the search conditions, a failing host,
// results of both hosts, and the worker: a cancelled or destroyed dialog abandons its search.
#include "DialogDriver.h"
#include "GuiTestEnv.h"
#include "LdapTestDirectory.h"

#include "Settings.h"
#include "directory/DlgLdapSearch.h"

#include <QCheckBox>
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
    kName = 1071,
    kEmail = 1072,
    kList = 1073,
    kSearch = 1074,
    kOk = 1,
    kCancel = 2,
};

const std::string kHostA = "ldap://dir-a.test:389/o=ca";
const std::string kHostB = "ldap://dir-b.test:1389/";

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

    void setUpDialog(CDlgLdapSearch& dlg) {
        dlg.setDirectoryQuery(m_dir->query());
        dlg.show();
    }

    void search(CDlgLdapSearch& dlg) {
        click(&dlg, kSearch);
        QTRY_VERIFY(!dlg.isSearching());
    }

    // The dialog set up with a name typed in; `run` also searches and waits for the results.
    void openWithName(CDlgLdapSearch& dlg, const QString& name, bool run = false) {
        setUpDialog(dlg);
        typeInto(&dlg, kName, name);
        if (run)
            search(dlg);
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

    void bothFieldsEmpty() {
        CDlgLdapSearch dlg;
        setUpDialog(dlg);
        click(&dlg, kSearch);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "必须输入查询条件!", "钥匣", MsgIcon::Warning, MsgButtons::Ok);
        QVERIFY(!dlg.isSearching());
        QVERIFY(m_dir->calls().empty());
        QVERIFY(dlg.isVisible());
    }

    void singleHostFailure() {
        m_dir->hosts[kHostA].rc = 4;
        CDlgLdapSearch dlg;
        openWithName(dlg, QStringLiteral("张三"), true);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "目录查询失败!", "查找用户", MsgIcon::Warning, MsgButtons::Ok);
        QCOMPARE(list(&dlg)->topLevelItemCount(), 0);
        QVERIFY(dlg.isVisible());
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

    void cancelWhileSearchingAbandonsResults() {
        m_dir->hosts[kHostA].certs = {m_zhang, m_li};
        m_dir->hold();
        {
            CDlgLdapSearch dlg;
            openWithName(dlg, QStringLiteral("张三"));
            click(&dlg, kSearch);
            QTRY_COMPARE(m_dir->waiting(), 1);
            click(&dlg, kCancel);
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
            click(&dlg, kSearch);
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
};

QTEST_MAIN(DlgLdapSearchTest)
#include "DlgLdapSearchTest.moc"
