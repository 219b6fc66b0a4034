#include "MailTestKit.h"
#include "OEAddrBook.h"
#include "OEEmailAcc.h"
#include "People.h"
#include "VCard.h"

using namespace mailtest;

namespace {

TEST(COEEmailAcc, AccountsLiveInTheRegistryInNumericOrderWithTheirCertificates) {
    yxtest::ScopedDataRoot root;
    yxtest::TestCa ca;
    const auto mine = issue(ca, "张三", "zhang@x.cn");
    yxtest::addToStore("my", mine);
    for (const char* key : {"10", "2"})
        yx::reg::writeString(yx::reg::Hive::CurrentUser, COEEmailAcc::accountsKey() + "\\" + key,
                             "AccountName", std::string("帐户") + key);
    ASSERT_TRUE(COEEmailAcc::AddAccount("张三", "zhang@x.cn")); // behind the others: 11

    COEEmailAcc accounts;
    ASSERT_EQ(accounts.getEmailAcc(), 0);
    ASSERT_EQ(accounts.GetCount(), 3);
    EXPECT_EQ(text(accounts.GetAt(0), CEmailAccount::kAccountName), "帐户2");
    EXPECT_EQ(text(accounts.GetAt(1), CEmailAccount::kAccountName), "帐户10");
    CEmailAccount* zhang = accounts.GetAt(2);
    EXPECT_EQ(text(zhang, CEmailAccount::kEmailAddress), "zhang@x.cn");
    EXPECT_EQ(zhang->getSignCert(), nullptr);

    zhang->getCertStore().OpenCertStore();
    zhang->setSignCert(zhang->getCertStore().getCert(0));
    EXPECT_EQ(accounts.SaveEmailAcc(zhang), 0);
    ASSERT_EQ(accounts.getEmailAcc(), 0);
    ASSERT_NE(accounts.GetAt(2)->getSignCert(), nullptr);
    EXPECT_EQ(thumbOf(accounts.GetAt(2)->getSignCert()), yxtest::thumbOf(mine.cert.get()));
    EXPECT_EQ(accounts.GetAt(2)->getCryptCert(), nullptr);
}

struct VCardBook : ::testing::Test {
    yxtest::ScopedDataRoot root;
    yxtest::TestCa ca;
    yxtest::Issued a = issue(ca, "甲", "jia@x.cn", 1), b = issue(ca, "乙", "jia@x.cn", 2);
    std::string dir = COEAddrBook::folder();

    void SetUp() override { std::filesystem::create_directories(dir); }
    std::string thumbs(const std::string& file, size_t card = 0) {
        std::string out;
        for (const auto& der :
             yx::vcard::certificateKeys(yx::vcard::parse(fileText(dir + "/" + file)).cards.at(card)))
            out += yxtest::thumbOf(certOf(der)->getPCCERT()->x509.get()) + ";";
        return out;
    }
    std::string t(const yxtest::Issued& who) { return yxtest::thumbOf(who.cert.get()) + ";"; }
};

TEST_F(VCardBook, ReadsEveryCardAndItsFirstCertificateKeyAsTheDefault) {
    yxtest::writeFile(
        dir, "a.vcf",
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:甲\\, 先生\r\nEMAIL;TYPE=INTERNET:other@x.cn\r\n"
        "EMAIL;TYPE=INTERNET,PREF:jia@x.cn\r\nKEY;TYPE=PGP;ENCODING=b:AAAA\r\nKEY;TYPE=X509;ENCODING=b:" +
            base64(a.der()).insert(60, "\r\n ") + "\r\nEND:VCARD\r\n");
    yxtest::writeFile(
        dir, "b.vcf",
        "BEGIN:VCARD\nVERSION:2.1\nN:王;五\nEMAIL;INTERNET:wang@x.cn\nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:4.0\nFN:赵六\nEMAIL:zhao@x.cn\nKEY:data:application/pkix-cert;base64," +
            base64(b.der()) + "\nEND:VCARD\n");
    yxtest::writeFile(dir, "notes.txt", std::string("BEGIN:VCARD\nFN:not a card file\nEND:VCARD\n"));
    COEAddrBook book;
    ASSERT_EQ(book.GetContacts(), 0);
    ASSERT_EQ(book.GetCount(), 3);
    const std::pair<std::string, std::string> expected[] = {
        {"甲, 先生", "jia@x.cn"}, {"王五", "wang@x.cn"}, {"赵六", "zhao@x.cn"}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(book.GetAt(i)->getProperty(CContact::kDisplayName)->getStrValue(),
                     expected[i].first.c_str());
        EXPECT_STREQ(book.GetAt(i)->getProperty(CContact::kEmailAddress)->getStrValue(),
                     expected[i].second.c_str());
    }
    ASSERT_NE(book.GetAt(0)->getDefaultCert(nullptr), nullptr);
    EXPECT_EQ(thumbOf(book.GetAt(0)->getDefaultCert(nullptr)), yxtest::thumbOf(a.cert.get()));
    EXPECT_EQ(book.GetAt(1)->getDefaultCert(nullptr), nullptr);
    EXPECT_EQ(thumbOf(book.GetAt(2)->getDefaultCert(nullptr)), yxtest::thumbOf(b.cert.get()));
}

TEST_F(VCardBook, SavingPutsTheDefaultFirstAndKeepsEveryOtherLine) {
    const std::string head =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:甲\r\nEMAIL:jia@x.cn\r\nKEY;TYPE=PGP;ENCODING=b:AAAA\r\n";
    yxtest::writeFile(dir, "a.vcf",
                      head + "KEY;TYPE=X509;ENCODING=b:" + base64(a.der()) + "\r\nNOTE:n\r\nEND:VCARD\r\n");
    COEAddrBook book;
    ASSERT_EQ(book.GetContacts(), 0);
    auto cb = certOf(b.der());
    struct Step {
        CDigitalCertificate* set;
        std::string keys;
    } steps[] = {
        {cb.get(), t(b) + t(a)}, // a new default goes first, the old one stays behind it
        {cb.get(), t(b) + t(a)}, // the same default again: unchanged
        {nullptr, t(a)},         // removing the default
    };
    for (const auto& s : steps) {
        book.GetAt(0)->SetDefaultCert(s.set);
        ASSERT_EQ(book.SaveContact(book.GetAt(0)), 0);
        EXPECT_EQ(thumbs("a.vcf"), s.keys);
        const std::string now = fileText(dir + "/a.vcf");
        EXPECT_EQ(now.substr(0, head.size()), head);
        EXPECT_NE(now.find("\r\nNOTE:n\r\nEND:VCARD\r\n"), std::string::npos);
    }
    auto ca2 = certOf(a.der());
    EXPECT_EQ(book.SaveContactCerts(book.GetAt(0), {cb.get(), ca2.get()}), 0);
    EXPECT_EQ(thumbs("a.vcf"), t(b) + t(a));
}

TEST_F(VCardBook, KeysAreWrittenInTheCardsOwnVersionAndReadBack) {
    const std::pair<std::string, std::string> cases[] = {{"2.1", "KEY;X509;ENCODING=BASE64:"},
                                                         {"3.0", "KEY;TYPE=X509;ENCODING=b:"},
                                                         {"4.0", "KEY:data:application/pkix-cert;base64,"}};
    for (const auto& [version, prefix] : cases) {
        yxtest::writeFile(dir, "v.vcf",
                          "BEGIN:VCARD\nVERSION:" + version + "\nFN:x\nEMAIL:x@x.cn\nEND:VCARD\n");
        COEAddrBook book;
        ASSERT_EQ(book.GetContacts(), 0);
        auto cb = certOf(b.der());
        book.GetAt(0)->SetDefaultCert(cb.get());
        ASSERT_EQ(book.SaveContact(book.GetAt(0)), 0);
        EXPECT_NE(fileText(dir + "/v.vcf").find("\n" + prefix), std::string::npos) << version;
        EXPECT_EQ(thumbs("v.vcf"), t(b)) << version;
    }
}

} // namespace
