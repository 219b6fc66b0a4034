// The secure e-mail page's Thunderbird entries over a sample profile: two identities, and an
// address book of three contacts of whom one has a certificate in the profile's database.
#include "Shots.h"

#include "../tests/gui/mail/MailTestKit.h"
#include "../tests/gui/pages/CertPageFixture.h"
#include "CertPublisher.h"
#include "ThunderbirdProfileKit.h"
#include "mail/MailListModel.h"
#include "mail/MailListView.h"
#include "mail/SecureMailPage.h"

#include <QTest>

using namespace mailtest;

YX_SHOTS(thunderbird) {
    const QByteArray oldHome = qgetenv("HOME");
    const std::string home = qgetenv("YAOXIA_HOME").toStdString() + "/home";
    qputenv("HOME", QByteArray::fromStdString(home));
    qputenv("WINEPREFIX", QByteArray::fromStdString(home + "/wine"));
    const std::string prefs = "user_pref(\"mail.identity.id1.fullName\", \"张伟\");\n"
                              "user_pref(\"mail.identity.id1.useremail\", \"zhangwei@example.cn\");\n"
                              "user_pref(\"mail.identity.id2.fullName\", \"张伟（家）\");\n"
                              "user_pref(\"mail.identity.id2.useremail\", \"zhangwei@home.example.cn\");\n";
    const std::string dir = yxtest::makeThunderbirdProfile(
        home, prefs,
        {{"李娜", "lina@example.cn"}, {"王芳", "wangfang@example.cn"}, {"刘洋", "liuyang@example.cn"}});
    yxtest::TestCa ca;
    const Bytes li = issue(ca, "李娜", "lina@example.cn").der();
    CDigitalCertificate cert(reinterpret_cast<const char*>(li.data()), int(li.size()),
                             CDigitalCertificate::DER);
    std::string detail;
    yx::nss::CertPublisher([](const yx::nss::NssDatabase&) { return std::nullopt; })
        .publish(yx::nss::CertKind::OtherPeople, cert, {},
                 {"Thunderbird", "default", dir, yx::nss::DbFormat::Sql}, detail);

    certpagetest::TestMenuBar bar;
    yx::SecureMailPage page;
    page.setMenuBarHost(&bar);
    page.resize(640, 420);
    page.show();
    for (const auto& [entry, name] :
         {std::pair{int(yx::SecureMailPage::EntryTbAccounts), "thunderbird-accounts"},
          std::pair{int(yx::SecureMailPage::EntryTbContacts), "thunderbird-contacts"}}) {
        page.activate();
        QAbstractItemView* view = page.homeList()->currentView();
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                           view->visualRect(page.homeModel()->index(entry, 0)).center());
        shots.save(&page, QStringLiteral("securemail-") + QString::fromLatin1(name));
    }
    page.hide();
    qputenv("HOME", oldHome);
}
