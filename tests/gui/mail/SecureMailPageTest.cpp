// The secure e-mail page: which list shows and which operations the menu bar offers in each
// state, clicks beside the items, the account and batch flows with the messages they end with
// (against a real directory server), and the Thunderbird entries against a profile made in the
// test: the chosen identity certificate lands in prefs.js, a contact's in the profile's database.
#include "../../mail/FoxmailFiles.h"
#include "../pages/CertPageFixture.h"
#include "GuiTestEnv.h"
#include "MailTestKit.h"

#include "GbkText.h"
#include "OEEmailAcc.h"
#include "PrefsJs.h"
#include "ThunderbirdProfileKit.h"
#include "ThunderbirdProfiles.h"
#include "encryption/EncDialogIds.h"
#include "mail/MailDialogIds.h"
#include "mail/MailListModel.h"
#include "mail/SecureMailPage.h"

#include <QListView>
#include <QtTest>

#include <set>

using namespace mailtest;
using namespace yx::res;
using yx::SecureMailPage;
using yxtest::ModalScript;

namespace {

void rightClick(yx::MailListView* list, int row) {
    QWidget* viewport = list->currentView()->viewport();
    const QPoint pos = rowPos(list, row);
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
    QApplication::sendEvent(viewport, &event);
}

// The page's own operations among the commands of a popup.
std::set<int> operations(const QMenu* menu) {
    std::set<int> out;
    for (int id : {ID_MAIL_OPEN, ID_MAIL_CONFIGURE, ID_MAIL_BATCH_SHOWN, ID_MAIL_BATCH_ENTRY})
        if (menu && yx::menus::findCommand(menu, id))
            out.insert(id);
    return out;
}

// Foxmail under Wine whose address book holds `people` without certificates.
void makeFoxmail(const std::string& prefix, const std::vector<std::pair<std::string, std::string>>& people) {
    std::vector<BookContact> book;
    for (const auto& [name, email] : people)
        book.push_back({{.name = yx::utf8ToGbkLossy(name), .address = email}, "Emails: " + email + "\r\n"});
    writeBook(makeWinePrefix(prefix) + "/Address", "Book", book);
}

// The batch dialog confirmed, once its look-up has ended, with the option on.
void confirmWithOption(QDialog* dlg) {
    QTRY_VERIFY_WITH_TIMEOUT(enabled(dlg, IDOK), 20000);
    control<QCheckBox>(dlg, IDC_BATCH_OPTION)->setChecked(true);
    click(dlg, IDOK);
}

int certRows(yx::MailListModel* model) {
    int n = 0;
    for (int r = 0; r < model->rowCount(); ++r)
        n += model->image(r) == 1;
    return n;
}

} // namespace

class SecureMailPageTest : public QObject {
    Q_OBJECT

    yxtest::ScopedGuiEnv m_env;
    yxtest::RecordingPrompt m_prompt;
    yxtest::TestCa m_ca;
    std::unique_ptr<yxtest::SlapdFixture> m_slapd;
    std::string m_mine; // thumbprint of the personal certificate of zhang@example.cn

    std::unique_ptr<certpagetest::TestMenuBar> m_bar;
    std::unique_ptr<SecureMailPage> m_page;

    void openEntry(int entry) {
        m_page->activate();
        doubleClick(m_page->homeList(), entry);
        QVERIFY(m_page->showsDetail());
        QCOMPARE(m_page->currentEntry(), entry);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_env.isValid());
        // No Foxmail: an empty Wine prefix.
        qputenv("WINEPREFIX", QFile::encodeName(m_env.root() + QStringLiteral("/wine")));
        const auto mine = issue(m_ca, "张伟", "zhang@example.cn");
        addMine(mine);
        m_mine = thumbOf(mine.der());
        QVERIFY(COEEmailAcc::AddAccount("工作邮箱", "zhang@example.cn"));
        QVERIFY(COEEmailAcc::AddAccount("家庭邮箱", "zhangwei@home.example.cn"));
        // Five contacts; the directory knows certificates of three of them.
        const char* people[][2] = {{"李娜", "lina@example.cn"},
                                   {"王芳", "wangfang@example.cn"},
                                   {"刘洋", "liuyang@example.cn"},
                                   {"陈静", "chenjing@example.cn"},
                                   {"Alice Chen", "alice@example.cn"}};
        std::vector<yxtest::DirectoryEntry> directory;
        for (int i = 0; i < 5; ++i) {
            addVCard("c" + std::to_string(i) + ".vcf", people[i][0], people[i][1]);
            if (i % 2 == 0)
                directory.push_back(
                    {people[i][0], people[i][1], {issue(m_ca, people[i][0], people[i][1]).der()}});
        }
        m_slapd = startDirectory(directory);
    }

    void init() {
        m_prompt.clear();
        m_bar = std::make_unique<certpagetest::TestMenuBar>();
        m_page = std::make_unique<SecureMailPage>();
        m_page->setMenuBarHost(m_bar.get());
        m_page->resize(640, 420);
        m_page->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    }

    void cleanup() {
        m_page.reset();
        m_bar.reset();
    }

    // The page's operations in the menu bar after a click: on a home entry, beside the entries, in
    // a detail list without and with an item.
    void menuBarFollowsTheState_data() {
        QTest::addColumn<int>("opened"); // -1: the home list shows
        QTest::addColumn<int>("row");    // clicked row, -1 beside the items
        QTest::addColumn<std::set<int>>("expected");
        QTest::newRow("account entry") << -1 << 0 << std::set<int>{ID_MAIL_OPEN};
        QTest::newRow("address book entry") << -1 << 3 << std::set<int>{ID_MAIL_OPEN, ID_MAIL_BATCH_ENTRY};
        QTest::newRow("beside the entries") << -1 << -1 << std::set<int>{};
        QTest::newRow("contacts, no item") << 1 << -1 << std::set<int>{ID_MAIL_BATCH_SHOWN};
        QTest::newRow("accounts, no item") << 0 << -1 << std::set<int>{};
        QTest::newRow("contact") << 1 << 2 << std::set<int>{ID_MAIL_CONFIGURE};
    }

    void menuBarFollowsTheState() {
        QFETCH(int, opened);
        QFETCH(int, row);
        QFETCH(std::set<int>, expected);
        if (opened >= 0)
            openEntry(opened);
        else
            m_page->activate();
        press(opened >= 0 ? m_page->detailList() : m_page->homeList(), row);
        QCOMPARE(operations(m_bar->menuAt(kMenuPosOperations)), expected);
    }

    // A double click beside the entries opens nothing; a right click beside them forgets the entry
    // and offers the home list's own menu.
    void clicksBesideTheItems() {
        m_page->activate();
        press(m_page->homeList(), 1);
        doubleClick(m_page->homeList(), -1);
        QVERIFY(!m_page->showsDetail());
        QCOMPARE(m_page->currentEntry(), 1);
        bool detailsOffered = false;
        ModalScript script;
        script.onPopup([&detailsOffered](QMenu* menu) {
            detailsOffered = yx::menus::findCommand(menu, ID_PAGE_VIEW_DETAILS) != nullptr;
            menu->close();
        });
        rightClick(m_page->homeList(), -1);
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
        QCOMPARE(m_page->currentEntry(), -1);
        QVERIFY(detailsOffered);
    }

    // No Foxmail here: its address book is empty, so there is nobody to configure and no dialog.
    void batchWithNobodyToConfigure() {
        m_page->activate();
        press(m_page->homeList(), SecureMailPage::EntryFoxContacts);
        m_page->onCommand(ID_MAIL_BATCH_ENTRY);
        QCOMPARE(m_prompt.texts(), std::vector<std::string>{"可需要批量配置的联系人个数为零！"});
        QVERIFY(!QApplication::activeModalWidget());
    }

    // Five contacts without certificates, three of them in the directory: the option configures the
    // three, the count message says so, and the detail list is read again; a second run from the home
    // list finds nothing for the other two and leaves the home list showing.
    void batchConfiguresTheFoundCertificates() {
        if (!m_slapd)
            QSKIP("slapd cannot run here");
        openEntry(SecureMailPage::EntryOeContacts);
        QCOMPARE(m_page->batchCount(), 5);
        QCOMPARE(certRows(m_page->detailModel()), 0);

        ModalScript script;
        script.on(IDD_LDAP_BATCH_CON, confirmWithOption);
        m_page->onCommand(ID_MAIL_BATCH_SHOWN);
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
        QVERIFY(m_prompt.lastMessage());
        QCOMPARE(q(m_prompt.lastMessage()->text), QStringLiteral("你共为3个联系人配置了加密证书"));
        QCOMPARE(certRows(m_page->detailModel()), 3);
        QCOMPARE(m_page->batchCount(), 2);

        m_page->activate();
        press(m_page->homeList(), SecureMailPage::EntryOeContacts);
        ModalScript again;
        again.on(IDD_LDAP_BATCH_CON, confirmWithOption);
        m_page->onCommand(ID_MAIL_BATCH_ENTRY);
        QVERIFY2(again.waitFinished(), qPrintable(again.failure()));
        QCOMPARE(q(m_prompt.lastMessage()->text), QStringLiteral("你共为0个联系人配置了加密证书"));
        QVERIFY(!m_page->showsDetail());
    }

    // Choosing only a signing certificate that may also encrypt gives the account that certificate
    // for both, and the choice is kept.
    void signingCertificateServesForEncryption() {
        openEntry(SecureMailPage::EntryOeAccounts);
        QCOMPARE(m_page->detailModel()->rowCount(), 2);
        ModalScript script;
        script.on(IDD_ACCOUNT_CERT, pressing(IDC_ACCOUNT_SIGN_CHOOSE))
            .on(IDD_SELECT_CERT, choosing(IDC_SELCERT_LIST))
            .on(IDD_ACCOUNT_CERT, pressing(IDOK));
        doubleClick(m_page->detailList(), 0);
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
        COEEmailAcc accounts;
        accounts.getEmailAcc();
        QCOMPARE(thumbOf(accounts.GetAt(0)->getSignCert()), m_mine);
        QCOMPARE(thumbOf(accounts.GetAt(0)->getCryptCert()), m_mine);
        QVERIFY(!accounts.GetAt(1)->getSignCert());
    }

    // A Foxmail contact configured from the other-people store is saved with the certificate, and
    // the list read again shows it with a certificate.
    void foxmailContactGetsTheChosenCertificate() {
        const std::string prefix = m_env.root().toStdString() + "/foxmail-prefix";
        ScopedEnv wine("WINEPREFIX", prefix);
        makeFoxmail(
            prefix,
            {{"赵敏", "zhaomin@example.cn"}, {"周芷若", "zhou@example.cn"}, {"Bob Lee", "bob@example.cn"}});
        addOther(issue(m_ca, "周芷若", "zhou@example.cn", KU_KEY_ENCIPHERMENT).der());

        openEntry(SecureMailPage::EntryFoxContacts);
        QCOMPARE(m_page->detailModel()->rowCount(), 3);
        QCOMPARE(m_page->detailModel()->text(1, 0), QStringLiteral("周芷若"));
        QCOMPARE(m_page->batchCount(), 3);
        ModalScript script;
        script.on(IDD_SET_CONTACT_CERTS, pressing(IDC_CONTACTS_IMPORT_STORE))
            .on(IDD_IMPORT_SYSTEM_CERT, choosing(IDC_IMPORT_SYSTEM_LIST))
            .on(IDD_SET_CONTACT_CERTS, pressing(IDOK));
        doubleClick(m_page->detailList(), 1);
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
        QCOMPARE(m_page->detailModel()->image(1), 1);
        QCOMPARE(m_page->batchCount(), 2);
    }

    void thunderbirdIdentityAndContactGetTheChosenCertificates() {
        const std::string home = m_env.root().toStdString() + "/tb-home";
        ScopedEnv homeVar("HOME", home);
        ScopedEnv wine("WINEPREFIX", home + "/wine");
        QVERIFY(!yxtest::makeThunderbirdProfile(
                     home, "user_pref(\"mail.identity.id1.useremail\", \"zhang@example.cn\");",
                     {{"李娜", "lina@example.cn"}})
                     .empty());
        addOther(issue(m_ca, "李娜", "lina@example.cn", KU_KEY_ENCIPHERMENT).der());

        ModalScript script;
        script.on(IDD_ACCOUNT_CERT, pressing(IDC_ACCOUNT_SIGN_CHOOSE))
            .on(IDD_SELECT_CERT, choosing(IDC_SELCERT_LIST))
            .on(IDD_ACCOUNT_CERT, pressing(IDOK));
        openEntry(SecureMailPage::EntryTbAccounts);
        doubleClick(m_page->detailList(), 0);
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
        const auto ids = yx::nss::thunderbirdIdentities(home);
        QCOMPARE(ids.at(0).identity.signingCert, std::string("张伟"));
        QCOMPARE(ids.at(0).identity.encryptionCert, std::string("张伟"));

        ModalScript contact;
        contact.on(IDD_SET_CONTACT_CERT, pressing(IDC_CONTACT_IMPORT_STORE))
            .on(IDD_IMPORT_SYSTEM_CERT, choosing(IDC_IMPORT_SYSTEM_LIST))
            .on(IDD_SET_CONTACT_CERT, pressing(IDOK));
        openEntry(SecureMailPage::EntryTbContacts);
        doubleClick(m_page->detailList(), 0);
        QVERIFY2(contact.waitFinished(), qPrintable(contact.failure()));
        QCOMPARE(m_page->detailModel()->image(0), 1); // read again: the profile's database has it now

        // Another certificate for her takes the place of the one published before.
        const Bytes second = issue(m_ca, "李娜二", "lina@example.cn", KU_KEY_ENCIPHERMENT).der();
        addOther(second);
        ModalScript replace;
        replace.on(IDD_SET_CONTACT_CERT, pressing(IDC_CONTACT_IMPORT_STORE))
            .on(IDD_IMPORT_SYSTEM_CERT,
                [](QDialog* d) {
                    auto* list = control<QTreeWidget>(d, IDC_IMPORT_SYSTEM_LIST);
                    const auto hits = list->findItems("李娜二", Qt::MatchExactly);
                    choosing(IDC_IMPORT_SYSTEM_LIST,
                             hits.isEmpty() ? -1 : list->indexOfTopLevelItem(hits[0]))(d);
                })
            .on(IDD_SET_CONTACT_CERT, pressing(IDOK));
        doubleClick(m_page->detailList(), 0);
        QVERIFY2(replace.waitFinished(), qPrintable(replace.failure()));
        const auto held =
            yx::nss::profileCertsForEmail(yx::nss::thunderbirdProfiles(home).at(0), "lina@example.cn");
        QCOMPARE(held.size(), size_t(1));
        QVERIFY(held.front() == second);
    }

    // Of two contacts without certificates, the directory has one: the batch publishes that one to the
    // profile's database. A profile listed before, whose database is of the old format, cannot take
    // its contact's certificate; the profiles after it still get theirs.
    void thunderbirdContactsBatchPublishesWhatTheDirectoryHas() {
        if (!m_slapd)
            QSKIP("slapd cannot run here");
        const std::string home = m_env.root().toStdString() + "/tb-batch";
        ScopedEnv homeVar("HOME", home);
        ScopedEnv wine("WINEPREFIX", home + "/wine");
        const std::string old =
            yxtest::makeThunderbirdProfile(home, "", {{"李娜", "lina@example.cn"}}, "p.old");
        QVERIFY(!old.empty());
        std::filesystem::remove(old + "/cert9.db");
        yxtest::writeFile(old, "cert8.db", "");
        QVERIFY(!yxtest::makeThunderbirdProfile(
                     home, "", {{"王芳", "wangfang@example.cn"}, {"刘洋", "liuyang@example.cn"}})
                     .empty());
        yxtest::writeFile(home + "/.thunderbird", "profiles.ini",
                          "[Profile0]\nName=old\nIsRelative=1\nPath=p.old\n"
                          "[Profile1]\nName=default\nIsRelative=1\nPath=p.default\n");
        openEntry(SecureMailPage::EntryTbContacts);
        QCOMPARE(m_page->batchCount(), 3);
        ModalScript script;
        script.on(IDD_LDAP_BATCH_CON, confirmWithOption);
        m_page->onCommand(ID_MAIL_BATCH_SHOWN);
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
        QCOMPARE(m_prompt.messages.size(), size_t(3)); // the search's end, the old profile's, the count
        QVERIFY(q(m_prompt.messages[1].text).contains(QStringLiteral("cert8.db")));
        QCOMPARE(q(m_prompt.lastMessage()->text), QStringLiteral("你共为1个联系人配置了加密证书"));
        const auto profile = yx::nss::thunderbirdProfiles(home).at(1);
        QCOMPARE(yx::nss::profileCertsForEmail(profile, "liuyang@example.cn").size(), size_t(1));
        QCOMPARE(certRows(m_page->detailModel()), 1);
        QCOMPARE(m_page->batchCount(), 2);
    }
};

QTEST_MAIN(SecureMailPageTest)
#include "SecureMailPageTest.moc"
