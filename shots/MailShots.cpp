// The secure e-mail page (home list, local contacts and e-mail accounts) and its dialogs: a
// contact's certificates, and the batch look-up against a directory server when slapd can run.
#include "Shots.h"

#include "../tests/gui/mail/MailTestKit.h"
#include "../tests/gui/pages/CertPageFixture.h"
#include "GbkText.h"
#include "OEEmailAcc.h"
#include "mail/DlgLdapBatchCon.h"
#include "mail/DlgSetContactCerts.h"
#include "mail/MailDialogIds.h"
#include "mail/MailListModel.h"
#include "mail/MailListView.h"
#include "mail/SecureMailPage.h"

#include <QTest>

using namespace mailtest;

namespace {

std::unique_ptr<CFoxmailContact> foxContact(const std::string& name, const std::string& email,
                                            const std::vector<Bytes>& certs) {
    auto contact = std::make_unique<CFoxmailContact>();
    const std::string gbkName = yx::utf8ToGbkLossy(name); // Foxmail keeps names in GBK
    contact->getProperty(CFoxmailContact::kName)->getBuf().AttachBuffer(gbkName.data(), int(gbkName.size()));
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

// Opens an entry of the home list the way the user does, with a double click.
void openEntry(yx::SecureMailPage& page, int entry) {
    page.activate();
    QAbstractItemView* view = page.homeList()->currentView();
    const QPoint pos = view->visualRect(page.homeList()->model()->index(entry, 0)).center();
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, pos);
}

} // namespace

YX_SHOTS(mail) {
    // No Foxmail: an empty Wine prefix under the data root.
    qputenv("WINEPREFIX", qgetenv("YAOXIA_HOME") + "/wine");
    yxtest::TestCa ca;
    addMine(issue(ca, "张伟", "zhangwei@example.cn"));
    COEEmailAcc::AddAccount("工作邮箱", "zhangwei@example.cn");
    COEEmailAcc::AddAccount("家庭邮箱", "zhangwei@home.example.cn");
    const Bytes li1 = issue(ca, "李娜", "lina@example.cn").der();
    const Bytes li2 = issue(ca, "李娜（新）", "lina@example.cn").der();
    const Bytes wang = issue(ca, "王芳", "wangfang@example.cn").der();
    const char* people[][2] = {{"李娜", "lina@example.cn"},
                               {"王芳", "wangfang@example.cn"},
                               {"刘洋", "liuyang@example.cn"},
                               {"陈静", "chenjing@example.cn"},
                               {"Alice Chen", "alice@example.cn"}};
    for (int i = 0; i < 5; ++i)
        addVCard("c" + std::to_string(i) + ".vcf", people[i][0], people[i][1],
                 i == 0   ? std::vector<Bytes>{li1}
                 : i == 1 ? std::vector<Bytes>{wang}
                          : std::vector<Bytes>{});

    certpagetest::TestMenuBar bar;
    yx::SecureMailPage page;
    page.setMenuBarHost(&bar);
    page.resize(640, 420);
    page.show();
    page.activate();
    shots.save(&page, QStringLiteral("securemail-home"));
    openEntry(page, yx::SecureMailPage::EntryOeContacts);
    shots.save(&page, QStringLiteral("securemail-contacts"));
    openEntry(page, yx::SecureMailPage::EntryOeAccounts);
    shots.save(&page, QStringLiteral("securemail-accounts"));
    page.hide();

    auto li = foxContact("李娜", "lina@example.cn", {li1, li2});
    CDlgSetContactCerts certs(li.get());
    shots.save(&certs, QStringLiteral("mail-contact-certs"));
    certs.hide();

    // The batch look-up finds two certificates of one contact, one of another, none of a third.
    auto slapd =
        startDirectory({{"李娜", "lina@example.cn", {li1, li2}}, {"王芳", "wangfang@example.cn", {wang}}});
    if (!slapd) {
        qWarning("slapd cannot run here: no picture of the batch dialog");
        return;
    }
    auto a = foxContact("李娜", "lina@example.cn", {});
    auto b = foxContact("王芳", "wangfang@example.cn", {});
    auto c = foxContact("刘洋", "liuyang@example.cn", {});
    CDlgLdapBatchCon batch(std::vector<CFoxmailContact*>{a.get(), b.get(), c.get()});
    batch.show();
    if (!QTest::qWaitFor([&batch] { return batch.searchFinished(); }, 20000))
        qWarning("the directory look-up did not finish");
    pressRow(&batch, yx::res::IDC_BATCH_CONTACTS, 0);
    shots.save(&batch, QStringLiteral("mail-batch-found"));
}
