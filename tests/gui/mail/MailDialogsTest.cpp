// The account, contact and batch certificate dialogs, driven by control id: which certificates
// each offers, what OK hands back, the default marker and list order of a Foxmail contact's
// certificates, which message an import or a directory look-up gives, and the batch look-up's
// worker with its cancel path, against a real directory server.
#include "GuiTestEnv.h"
#include "MailTestKit.h"

#include "FoxmailContact.h"
#include "PropertyRecords.h"
#include "dialogs/DialogIds.h"
#include "encryption/EncDialogIds.h"
#include "mail/DlgAccountCert.h"
#include "mail/DlgAccountSignCert.h"
#include "mail/DlgLdapBatchCon.h"
#include "mail/DlgSetContactCert.h"
#include "mail/DlgSetContactCerts.h"
#include "mail/MailDialogIds.h"

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <chrono>
#include <thread>

using namespace mailtest;
using namespace yx::res;
using yxtest::ModalScript;

namespace {

const char* const kMark = "(默认证书)";

std::unique_ptr<CFoxmailContact> foxContact(const std::string& email, const std::vector<Bytes>& certs) {
    auto contact = std::make_unique<CFoxmailContact>();
    contact->getProperty(CFoxmailContact::kPrimaryAddress)
        ->getBuf()
        .AttachBuffer(email.data(), int(email.size()));
    std::vector<std::unique_ptr<CDigitalCertificate>> owned;
    std::vector<CDigitalCertificate*> raw;
    for (const Bytes& der : certs) {
        owned.push_back(std::make_unique<CDigitalCertificate>(reinterpret_cast<const char*>(der.data()),
                                                              int(der.size()), CDigitalCertificate::DER));
        raw.push_back(owned.back().get());
    }
    contact->SetCerts(raw);
    return contact;
}

// The thumbprints of the certificates the dialog hands back, in its order.
std::vector<std::string> thumbs(CDlgSetContactCerts& dlg) {
    std::vector<CDigitalCertificate*> certs;
    dlg.GetCerts(certs);
    std::vector<std::string> out;
    for (CDigitalCertificate* c : certs)
        out.push_back(thumbOf(c));
    return out;
}

} // namespace

class MailDialogsTest : public QObject {
    Q_OBJECT

    yxtest::ScopedGuiEnv m_env;
    yxtest::RecordingPrompt m_prompt;
    yxtest::TestCa m_ca;
    std::unique_ptr<yxtest::SlapdFixture> m_slapd;
    Bytes m_li1, m_li2, m_wang; // other people: 李四 twice (li@), 王五 (wang@, also in the directory)
    Bytes m_dirLi;              // 李四 in the directory only

private slots:
    void initTestCase() {
        QVERIFY(m_env.isValid());
        // Personal store for a@example.cn: signing only, encryption only, both; one for someone else.
        addMine(issue(m_ca, "签名", "a@example.cn", KU_DIGITAL_SIGNATURE));
        addMine(issue(m_ca, "加密", "a@example.cn", KU_KEY_ENCIPHERMENT));
        addMine(issue(m_ca, "两用", "a@example.cn"));
        addMine(issue(m_ca, "别人", "b@example.cn"));
        m_li1 = issue(m_ca, "李四一", "li@example.cn").der();
        m_li2 = issue(m_ca, "李四二", "li@example.cn").der();
        m_wang = issue(m_ca, "王五", "wang@example.cn").der();
        m_dirLi = issue(m_ca, "李四目录", "li@example.cn").der();
        for (const Bytes* der : {&m_li1, &m_li2, &m_wang})
            addOther(*der);
        m_slapd = startDirectory({{"李四", "li@example.cn", {m_dirLi}},
                                  {"王五", "wang@example.cn", {m_wang}},
                                  {"赵六", "zhao@example.cn", {m_li1, m_li2}}});
    }

    void init() { m_prompt.clear(); }

    // Which of the personal certificates each chooser lists.
    void accountDialogsOfferTheAddressesCertificates_data() {
        QTest::addColumn<int>("dialog");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("rows");
        QTest::newRow("outlook signing")
            << IDD_ACCOUNT_CERT << IDC_ACCOUNT_SIGN_CHOOSE << "a@example.cn" << 2;
        QTest::newRow("outlook encryption")
            << IDD_ACCOUNT_CERT << IDC_ACCOUNT_CRYPT_CHOOSE << "a@example.cn" << 2;
        QTest::newRow("foxmail any use")
            << IDD_ACCOUNT_SIGN_CERT << IDC_ACCOUNT_SIGN_ONLY_CHOOSE << "a@example.cn" << 3;
        QTest::newRow("no match") << IDD_ACCOUNT_CERT << IDC_ACCOUNT_SIGN_CHOOSE << "none@example.cn" << 0;
    }

    void accountDialogsOfferTheAddressesCertificates() {
        QFETCH(int, dialog);
        QFETCH(int, button);
        QFETCH(QString, address);
        QFETCH(int, rows);
        CEmailAccount account;
        account.getProperty(CEmailAccount::kEmailAddress)->getBuf().Attachstr(address.toUtf8().constData());
        std::unique_ptr<QDialog> dlg;
        if (dialog == IDD_ACCOUNT_CERT)
            dlg = std::make_unique<CDlgAccountCert>(&account);
        else
            dlg = std::make_unique<CDlgAccountSignCert>(&account);
        dlg->show();
        int listed = -1;
        bool okEnabled = true;
        ModalScript script;
        script.on(IDD_SELECT_CERT, [&](QDialog* chooser) {
            listed = control<QTreeWidget>(chooser, IDC_SELCERT_LIST)->topLevelItemCount();
            okEnabled = enabled(chooser, IDOK);
            chooser->reject();
        });
        click(dlg.get(), button);
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
        QCOMPARE(listed, rows);
        if (rows == 0)
            QVERIFY(!okEnabled);
    }

    // OK without a choice: the Outlook Express dialog hands back the account's own certificates, the
    // Foxmail dialog nothing; a choice replaces the shown name.
    void accountDialogsOkWithoutChoice() {
        CEmailAccount account;
        account.getProperty(CEmailAccount::kEmailAddress)->getBuf().Attachstr("a@example.cn");
        CMyCertStore mine;
        mine.OpenCertStore();
        mine.SetFilter("SubjectEmail", "a@example.cn");
        CDigitalCertificate* current = mine.getCert(0);
        account.setSignCert(current);
        account.setCrytpCert(current);

        CDlgAccountCert outlook(&account);
        outlook.show();
        click(&outlook, IDOK);
        QCOMPARE(outlook.result(), int(QDialog::Accepted));
        QCOMPARE(outlook.GetSignCert(), current);
        QCOMPARE(outlook.GetCryptCert(), current);

        CDlgAccountSignCert foxmail(&account);
        foxmail.show();
        QVERIFY(!control<QLineEdit>(&foxmail, IDC_ACCOUNT_SIGN_NAME)->text().isEmpty());
        click(&foxmail, IDOK);
        QVERIFY(!foxmail.GetSignCert());

        CDlgAccountSignCert chosen(&account);
        chosen.show();
        ModalScript script;
        script.on(IDD_SELECT_CERT, choosing(IDC_SELCERT_LIST, 2));
        click(&chosen, IDC_ACCOUNT_SIGN_ONLY_CHOOSE);
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
        QVERIFY(chosen.GetSignCert());
        std::string name;
        chosen.GetSignCert()->getDisplayName(name);
        QCOMPARE(control<QLineEdit>(&chosen, IDC_ACCOUNT_SIGN_NAME)->text(), q(name));
    }

    // Two certificates: "设为默认值" on the second moves it first and marks it without a space, the
    // first keeps its trailing space; marking the marked row changes nothing; removing the default
    // makes the next one first without marking its row.
    void contactCertsMakeDefaultAndRemove() {
        auto contact = foxContact("li@example.cn", {m_li1, m_li2});
        {
            CDlgSetContactCerts dlg(contact.get());
            dlg.show();
            QCOMPARE(rowTexts(&dlg, IDC_CONTACT_CERT_LIST),
                     QStringList({QStringLiteral("李四一 ") + kMark, QStringLiteral("李四二")}));
            QVERIFY(!enabled(&dlg, IDC_CONTACTS_MAKE_DEFAULT));
            pressRow(&dlg, IDC_CONTACT_CERT_LIST, 1);
            click(&dlg, IDC_CONTACTS_MAKE_DEFAULT);
            click(&dlg, IDC_CONTACTS_MAKE_DEFAULT); // already marked: nothing
            QCOMPARE(rowTexts(&dlg, IDC_CONTACT_CERT_LIST),
                     QStringList({QStringLiteral("李四一 "), QStringLiteral("李四二") + kMark}));
            QCOMPARE(thumbs(dlg), (std::vector<std::string>{thumbOf(m_li2), thumbOf(m_li1)}));
            pressRow(&dlg, IDC_CONTACT_CERT_LIST, -1);
            QVERIFY(!enabled(&dlg, IDC_CONTACT_REMOVE));
        }
        CDlgSetContactCerts dlg(contact.get());
        dlg.show();
        pressRow(&dlg, IDC_CONTACT_CERT_LIST, 0);
        click(&dlg, IDC_CONTACT_REMOVE);
        QCOMPARE(rowTexts(&dlg, IDC_CONTACT_CERT_LIST), QStringList({QStringLiteral("李四二")}));
        QCOMPARE(dlg.selectedRow(), 0);
        QCOMPARE(thumbs(dlg), std::vector<std::string>{thumbOf(m_li2)});
        click(&dlg, IDC_CONTACT_REMOVE);
        QVERIFY(!enabled(&dlg, IDC_CONTACT_REMOVE));
    }

    // Imports into a Foxmail contact's list: the first certificate of an empty list is marked, a
    // certificate the list has already is refused with the message of its source.
    void contactCertsImports_data() {
        QTest::addColumn<bool>("fromDirectory");
        QTest::addColumn<bool>("present");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("rows");
        const QString marked = QStringLiteral("王五") + kMark;
        QTest::newRow("store, empty list") << false << false << QString() << QStringList{marked};
        QTest::newRow("store, present") << false << true << QStringLiteral("您选定的证书已经和该联系人关联！")
                                        << QStringList{QStringLiteral("王五 ") + kMark};
        QTest::newRow("directory, empty list") << true << false << QString() << QStringList{marked};
        QTest::newRow("directory, present")
            << true << true << QStringLiteral("你所选定要导入的证书已经和该联系人关联！")
            << QStringList{QStringLiteral("王五 ") + kMark};
    }

    void contactCertsImports() {
        QFETCH(bool, fromDirectory);
        QFETCH(bool, present);
        QFETCH(QString, message);
        QFETCH(QStringList, rows);
        if (fromDirectory && !m_slapd)
            QSKIP("slapd cannot run here");
        auto contact =
            foxContact("wang@example.cn", present ? std::vector<Bytes>{m_wang} : std::vector<Bytes>{});
        CDlgSetContactCerts dlg(contact.get());
        dlg.show();
        ModalScript script;
        script.on(fromDirectory ? IDD_LDAP_RESULT : IDD_IMPORT_SYSTEM_CERT,
                  choosing(fromDirectory ? IDC_LDAP_RESULT_LIST : IDC_IMPORT_SYSTEM_LIST));
        click(&dlg, fromDirectory ? IDC_CONTACTS_IMPORT_LDAP : IDC_CONTACTS_IMPORT_STORE);
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
        QCOMPARE(rowTexts(&dlg, IDC_CONTACT_CERT_LIST), rows);
        QCOMPARE(m_prompt.lastMessage() ? q(m_prompt.lastMessage()->text) : QString(), message);
    }

    // Outlook Express contact: "删除证书" then OK hands back none; a directory certificate chosen is
    // imported into the other-people store and becomes the choice.
    void contactCertRemoveAndDirectoryImport() {
        CDigitalCertificate current(reinterpret_cast<const char*>(m_li1.data()), int(m_li1.size()),
                                    CDigitalCertificate::DER);
        CDlgSetContactCert removing(&current, QStringLiteral("li@example.cn"));
        removing.show();
        QVERIFY(enabled(&removing, IDC_CONTACT_VIEW));
        click(&removing, IDC_CONTACT_REMOVE);
        QVERIFY(!enabled(&removing, IDC_CONTACT_VIEW));
        click(&removing, IDOK);
        QVERIFY(!removing.GetCert());

        if (!m_slapd)
            QSKIP("slapd cannot run here");
        CDlgSetContactCert importing(nullptr, QStringLiteral("li@example.cn"));
        importing.show();
        ModalScript script;
        script.on(IDD_LDAP_RESULT, choosing(IDC_LDAP_RESULT_LIST));
        click(&importing, IDC_CONTACT_IMPORT_LDAP);
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
        QCOMPARE(thumbOf(importing.GetCert()), thumbOf(m_dirLi));
        QCOMPARE(control<QLineEdit>(&importing, IDC_CONTACT_CERT_NAME)->text(), QStringLiteral("李四目录"));
        COtherCertStore others;
        others.OpenCertStore();
        std::string thumb = thumbOf(m_dirLi);
        QVERIFY(others.FindByThumb(thumb));
    }

    // The contact dialogs' look-up with host A down: the message for what host B gives (which host
    // failures count, and that a partial answer shows its results, is DirectorySearchTest's).
    void directoryLookUpMessages_data() {
        QTest::addColumn<bool>("hostBUp");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("message");
        QTest::newRow("both down") << false << "li@example.cn" << QStringLiteral("目录查询失败！");
        QTest::newRow("B has none") << true << "nobody@example.cn"
                                    << QStringLiteral("目录服务中不存在与搜索条件相符的项！");
    }

    void directoryLookUpMessages() {
        QFETCH(bool, hostBUp);
        QFETCH(QString, email);
        QFETCH(QString, message);
        if (!m_slapd)
            QSKIP("slapd cannot run here");
        yx::settings::WriteProfileString("Directory", "HostA", downHost());
        yx::settings::WriteProfileString("Directory", "HostB", hostBUp ? m_slapd->urlB() : downHost());
        auto contact = foxContact(email.toStdString(), {});
        CDlgSetContactCerts dlg(contact.get());
        dlg.show();
        click(&dlg, IDC_CONTACTS_IMPORT_LDAP);
        yx::settings::WriteProfileString("Directory", "HostA", m_slapd->urlA());
        yx::settings::WriteProfileString("Directory", "HostB", m_slapd->urlB());
        QCOMPARE(m_prompt.texts(), std::vector<std::string>{message.toStdString()});
        QVERIFY(rowTexts(&dlg, IDC_CONTACT_CERT_LIST).isEmpty());
    }

    // After the look-up: a contact without certificates says so and leaves the buttons off; the
    // chosen certificate of a contact with two is the one marked; the option gives a contact with
    // exactly one its certificate.
    void batchChoosingAndOption() {
        if (!m_slapd)
            QSKIP("slapd cannot run here");
        auto zhao = foxContact("zhao@example.cn", {});
        auto wang = foxContact("wang@example.cn", {});
        auto nobody = foxContact("nobody@example.cn", {});
        CDlgLdapBatchCon dlg(std::vector<CFoxmailContact*>{zhao.get(), wang.get(), nobody.get()});
        dlg.show();
        QTRY_VERIFY_WITH_TIMEOUT(dlg.searchFinished(), 20000);
        QVERIFY(m_prompt.shown("LDAP搜索完毕！"));
        QVERIFY(enabled(&dlg, IDOK));
        QVERIFY(control(&dlg, IDC_BATCH_CONTACTS)->isVisible());

        pressRow(&dlg, IDC_BATCH_CONTACTS, 2);
        QVERIFY(control<QLabel>(&dlg, IDC_BATCH_CERTS_LABEL)->text().startsWith(QStringLiteral("未搜到与")));
        QVERIFY(rowTexts(&dlg, IDC_BATCH_CERTS).isEmpty());
        QVERIFY(!enabled(&dlg, IDC_BATCH_MAKE_DEFAULT));

        pressRow(&dlg, IDC_BATCH_CONTACTS, 0);
        QCOMPARE(rowTexts(&dlg, IDC_BATCH_CERTS).size(), 2);
        pressRow(&dlg, IDC_BATCH_CERTS, 1);
        click(&dlg, IDC_BATCH_MAKE_DEFAULT);
        click(&dlg, IDC_BATCH_MAKE_DEFAULT); // already marked: nothing
        QCOMPARE(rowTexts(&dlg, IDC_BATCH_CERTS),
                 QStringList({QStringLiteral("李四一"), QStringLiteral("李四二") + kMark}));
        pressRow(&dlg, IDC_BATCH_CONTACTS, 0); // filled again: the choice shows with a space
        QCOMPARE(rowTexts(&dlg, IDC_BATCH_CERTS)[1], QStringLiteral("李四二 ") + kMark);

        control<QCheckBox>(&dlg, IDC_BATCH_OPTION)->setChecked(true);
        click(&dlg, IDOK);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(thumbOf(dlg.GetChosenCert(0)), thumbOf(m_li2));
        QCOMPARE(thumbOf(dlg.GetChosenCert(1)), thumbOf(m_wang));
        QVERIFY(!dlg.GetChosenCert(2));
        QVERIFY(!dlg.GetChosenCert(3));
    }

    // Cancel while the look-up runs only asks the worker to stop; the dialog ends as cancelled once
    // the worker has stopped, without the end-of-search message.
    void batchCancelWhileSearching() {
        auto wang = foxContact("wang@example.cn", {});
        CDlgLdapBatchCon dlg(std::vector<CFoxmailContact*>{wang.get(), wang.get()});
        std::atomic<bool> waiting{false};
        dlg.setLookupRun([&waiting](CBatchLookup& lookup, const std::atomic<bool>& cancel,
                                    const CBatchLookup::Progress& progress) {
            waiting = true;
            while (!cancel) // a slow directory: the first contact takes until the user cancels
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return lookup.Run(cancel, progress, downHost());
        });
        dlg.show();
        QTRY_VERIFY(waiting);
        QVERIFY(dlg.isSearching());
        QVERIFY(!control(&dlg, IDC_BATCH_CONTACTS)->isVisible());
        click(&dlg, IDCANCEL);
        QVERIFY(dlg.isVisible());
        QVERIFY(!enabled(&dlg, IDCANCEL));
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.isVisible(), 20000);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isSearching());
        QVERIFY(!m_prompt.shown("LDAP搜索完毕！"));
    }

    void batchDirectoryFailure() {
        yx::settings::WriteProfileString("Directory", "HostB", downHost());
        auto wang = foxContact("wang@example.cn", {});
        CDlgLdapBatchCon dlg(std::vector<CFoxmailContact*>{wang.get()});
        dlg.show();
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.isVisible(), 20000);
        if (m_slapd)
            yx::settings::WriteProfileString("Directory", "HostB", m_slapd->urlB());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(m_prompt.texts(), std::vector<std::string>{"目录查询失败，批量配置失败！"});
    }
};

QTEST_MAIN(MailDialogsTest)
#include "MailDialogsTest.moc"
