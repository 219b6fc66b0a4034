// The directory search dialog against a fake directory: the search conditions, a failing host,
// results of both hosts, and the worker: a cancelled or destroyed dialog abandons its search.
#include "DialogDriver.h"
#include "GuiTestEnv.h"

#include "DigitalCertificate.h"
#include "DirectorySearch.h"
#include "Settings.h"
#include "TestPki.h"
#include "directory/DlgLdapSearch.h"

#include <QCheckBox>
#include <QTreeWidget>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
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
    kCancel = 2,
};

const std::string kHostA = "ldap://dir-a.test:389/o=ca";
const std::string kHostB = "ldap://dir-b.test:1389/";

// A directory that answers the search dialog instead of an LDAP server: per host a result code
// and certificates, and a gate that holds queries to play a slow server.
// Certificates it hands out count themselves, so tests see who deleted them.
class CountedCert : public CDigitalCertificate {
public:
    explicit CountedCert(const Bytes& der)
        : CDigitalCertificate(reinterpret_cast<const char*>(der.data()), static_cast<int>(der.size()), DER) {
        ++alive;
    }
    ~CountedCert() override { --alive; }
    static inline std::atomic<int> alive{0};
};

class FakeDirectory {
public:
    struct Host {
        int rc = 0;
        std::vector<Bytes> certs;
    };

    // Set up before a search starts; read by the worker.
    std::map<std::string, Host> hosts;

    int waiting() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_waiting;
    }
    void hold() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held = true;
    }
    void release() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_held = false;
        }
        m_cv.notify_all();
    }

    yx::directory::HostQuery query() {
        return
            [this](const std::string& host, const std::string&, const std::string&, yx::OwnedCerts& found) {
                {
                    std::unique_lock<std::mutex> lock(m_mutex);
                    ++m_waiting;
                    m_cv.wait(lock, [this] { return !m_held; });
                    --m_waiting;
                }
                const auto it = hosts.find(host);
                if (it == hosts.end())
                    return 3; // cannot connect
                if (it->second.rc != 0)
                    return it->second.rc;
                for (const Bytes& der : it->second.certs)
                    found.push_back(std::make_unique<CountedCert>(der));
                return 0;
            };
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    int m_waiting = 0;
    bool m_held = false;
};

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
        m_zhang = m_ca.issue({.cn = "张三", .email = "zhang@example.cn"}).der();
        m_zhang2 = m_ca.issue({.cn = "张三", .email = "zhang@example.cn", .keyIndex = 2}).der();
        m_li = m_ca.issue({.cn = "李四", .email = "li@example.cn", .keyIndex = 2}).der();
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
        search(dlg);                            // which host failures count is DirectorySearchTest's
        QCOMPARE(CountedCert::alive.load(), 3); // the first search's results were deleted
    }

    void cancelWhileSearchingAbandonsResults() {
        m_dir->hosts[kHostA].certs = {m_zhang, m_li};
        m_dir->hold();
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
