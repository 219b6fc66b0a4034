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
#include "dialogs/EncDialogIds.h"
#include "dialogs/MailDialogIds.h"
#include "pages/MailListModel.h"
#include "pages/MailListView.h"
#include "pages/SecureMailPage.h"

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
    const std::string dir = yxtest::makeThunderbirdProfile(
        home, "user_pref(\"mail.identity.id1.useremail\", \"zhang@example.cn\");\n",
        {{"李娜", "lina@example.cn"}});
    QVERIFY(!dir.empty());
    yxtest::TestCa ca;
    addMine(issue(ca, "张伟", "zhang@example.cn"));
    addOther(issue(ca, "李娜", "lina@example.cn", KU_KEY_ENCIPHERMENT).der());

    yxtest::RecordingPrompt prompt;
    certpagetest::TestMenuBar bar;
    SecureMailPage page;
    page.setMenuBarHost(&bar);
    page.show();
    page.activate();
    const auto open = [&](int entry) {
        page.activate();
        QAbstractItemView* view = page.homeList()->currentView();
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                           view->visualRect(page.homeModel()->index(entry, 0)).center());
        QCOMPARE(page.currentEntry(), entry);
    };
    const auto configureRow0 = [&] {
        QAbstractItemView* view = page.detailList()->currentView();
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                           view->visualRect(page.detailModel()->index(0, 0)).center());
    };

    open(SecureMailPage::EntryTbAccounts);
    QCOMPARE(page.detailModel()->text(0, 1), QStringLiteral("zhang@example.cn"));
    ModalScript script;
    script.on(IDD_ACCOUNT_CERT, [](QDialog* dlg) { click(dlg, IDC_ACCOUNT_SIGN_CHOOSE); })
        .on(IDD_SELECT_CERT,
            [](QDialog* chooser) {
                pressRow(chooser, IDC_SELCERT_LIST, 0);
                click(chooser, IDOK);
            })
        .on(IDD_ACCOUNT_CERT, [](QDialog* dlg) { click(dlg, IDOK); });
    configureRow0();
    QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    const auto ids = yx::nss::thunderbirdIdentities(home);
    QCOMPARE(ids.size(), size_t(1));
    QCOMPARE(QString::fromStdString(ids[0].identity.signingCert), QStringLiteral("张伟"));
    QCOMPARE(QString::fromStdString(ids[0].identity.encryptionCert), QStringLiteral("张伟"));

    open(SecureMailPage::EntryTbContacts);
    QCOMPARE(page.detailModel()->image(0), 0);
    ModalScript contact;
    contact.on(IDD_SET_CONTACT_CERT, [](QDialog* dlg) { click(dlg, IDC_CONTACT_IMPORT_STORE); })
        .on(IDD_IMPORT_SYSTEM_CERT,
            [](QDialog* list) {
                pressRow(list, IDC_IMPORT_SYSTEM_LIST, 0);
                click(list, IDOK);
            })
        .on(IDD_SET_CONTACT_CERT, [](QDialog* dlg) { click(dlg, IDOK); });
    configureRow0();
    QVERIFY2(contact.waitFinished(), qPrintable(contact.failure()));
    QCOMPARE(page.detailModel()->image(0), 1);
}

QTEST_MAIN(ThunderbirdEntriesTest)
#include "ThunderbirdEntriesTest.moc"
