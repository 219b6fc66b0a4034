// The secure e-mail page's Thunderbird entries against a profile made in the test: an identity's
// signing certificate chosen in the account dialog lands in prefs.js, and a contact's certificate
// chosen from the other-people store lands in the profile's database.
#include "../pages/CertPageFixture.h"
#include "DialogDriver.h"
#include "GuiTestEnv.h"
#include "MailTestKit.h"
#include "ThunderbirdProfileKit.h"

#include "PrefsJs.h"
#include "ThunderbirdProfiles.h"
#include "encryption/EncDialogIds.h"
#include "mail/MailDialogIds.h"
#include "mail/MailListModel.h"
#include "mail/MailListView.h"
#include "mail/SecureMailPage.h"

#include <QtTest>

using namespace mailtest;
using namespace yx::res;
using yx::SecureMailPage;
using yxtest::ModalScript;

class ThunderbirdEntriesTest : public QObject {
    Q_OBJECT
    yxtest::ScopedGuiEnv m_env;

private slots:
    void identityAndContactCertificates();
};

void ThunderbirdEntriesTest::identityAndContactCertificates() {
    const std::string home = m_env.root().toStdString() + "/home";
    qputenv("HOME", QByteArray::fromStdString(home));
    qputenv("WINEPREFIX", QByteArray::fromStdString(home + "/wine"));
    QVERIFY(!yxtest::makeThunderbirdProfile(
                 home, "user_pref(\"mail.identity.id1.useremail\", \"zhang@example.cn\");",
                 {{"李娜", "lina@example.cn"}})
                 .empty());
    yxtest::TestCa ca;
    addMine(issue(ca, "张伟", "zhang@example.cn"));
    addOther(issue(ca, "李娜", "lina@example.cn", KU_KEY_ENCIPHERMENT).der());

    yxtest::RecordingPrompt prompt;
    certpagetest::TestMenuBar bar;
    SecureMailPage page;
    page.setMenuBarHost(&bar);
    page.show();
    const auto doubleClick = [](yx::MailListView* list, int row) {
        QAbstractItemView* view = list->currentView();
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                           view->visualRect(list->model()->index(row, 0)).center());
    };
    const auto openAndConfigureRow0 = [&](int entry, ModalScript& script) {
        page.activate();
        doubleClick(page.homeList(), entry);
        doubleClick(page.detailList(), 0);
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    };

    ModalScript script;
    script.on(IDD_ACCOUNT_CERT, [](QDialog* dlg) { click(dlg, IDC_ACCOUNT_SIGN_CHOOSE); })
        .on(IDD_SELECT_CERT,
            [](QDialog* chooser) {
                pressRow(chooser, IDC_SELCERT_LIST, 0);
                click(chooser, IDOK);
            })
        .on(IDD_ACCOUNT_CERT, [](QDialog* dlg) { click(dlg, IDOK); });
    openAndConfigureRow0(SecureMailPage::EntryTbAccounts, script);
    const auto ids = yx::nss::thunderbirdIdentities(home);
    QCOMPARE(ids.at(0).identity.signingCert, std::string("张伟"));
    QCOMPARE(ids.at(0).identity.encryptionCert, std::string("张伟"));

    ModalScript contact;
    contact.on(IDD_SET_CONTACT_CERT, [](QDialog* dlg) { click(dlg, IDC_CONTACT_IMPORT_STORE); })
        .on(IDD_IMPORT_SYSTEM_CERT,
            [](QDialog* list) {
                pressRow(list, IDC_IMPORT_SYSTEM_LIST, 0);
                click(list, IDOK);
            })
        .on(IDD_SET_CONTACT_CERT, [](QDialog* dlg) { click(dlg, IDOK); });
    openAndConfigureRow0(SecureMailPage::EntryTbContacts, contact);
    QCOMPARE(page.detailModel()->image(0), 1); // read again: the profile's database has it now
}

QTEST_MAIN(ThunderbirdEntriesTest)
#include "ThunderbirdEntriesTest.moc"
