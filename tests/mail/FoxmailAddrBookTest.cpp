#include "FoxmailAddrBook.h"
#include "FoxmailText.h"
#include "GbkText.h"
#include "MailTestKit.h"
#include "People.h"
#include "RecordingPrompt.h"

using namespace mailtest;

namespace {

std::string hashOf(const yxtest::Issued& who) {
    return yx::mail::hashText(yxtest::thumbOf(who.cert.get()));
}

// A certificate entry as Foxmail writes one: Base64 in lines of 76 behind a space.
std::string entry(const yxtest::Issued& who) {
    std::string b64 = base64(who.der()), folded;
    for (size_t at = 0; at < b64.size(); at += 76)
        folded += (at ? "\r\n " : "") + b64.substr(at, 76);
    return hashOf(who) + ": -----BEGIN CERTIFICATE-----\r\n " + folded + "\r\n -----END CERTIFICATE-----\r\n";
}

std::vector<std::string> thumbs(CFoxmailContact& c) {
    yx::OwnedCerts certs;
    c.GetCerts(certs);
    std::vector<std::string> out;
    for (const auto& cert : certs)
        out.push_back(thumbOf(cert.get()));
    return out;
}

struct AddrBook : ::testing::Test {
    yxtest::ScopedDataRoot root;
    ScopedEnv wine{"WINEPREFIX", root.file("wine")};
    std::string address = makeWinePrefix(root.file("wine")) + "/Address";
    yxtest::TestCa ca;
    yxtest::Issued a = issue(ca, "甲", "b@x.cn", 1), b = issue(ca, "乙", "b@x.cn", 2);
    yxtest::RecordingPrompt prompt;

    std::string box(const std::string& stem = "book") { return fileText(address + "/" + stem + ".BOX"); }
    std::string ind(const std::string& stem = "book") { return fileText(address + "/" + stem + ".IND"); }
    // The block that record `i` points at, and its flag byte.
    std::pair<std::string, int> pointed(int i, const std::string& stem = "book") {
        const std::string rec = ind(stem).substr(64 + 176 * static_cast<size_t>(i), 176);
        auto u32 = [&](size_t at) {
            return uint32_t(uint8_t(rec[at])) | uint32_t(uint8_t(rec[at + 1])) << 8 |
                   uint32_t(uint8_t(rec[at + 2])) << 16 | uint32_t(uint8_t(rec[at + 3])) << 24;
        };
        return {box(stem).substr(u32(5), u32(9)), rec[132]};
    }
};

TEST_F(AddrBook, ReadsRecordsSkipsMarkedOnesAndFindsThePrimaryAddressCertificates) {
    const std::string twoCerts = "Emails: a@x.cn\r\n b@x.cn\r\nCertificates: |\r\n " + hashOf(a) + "|" +
                                 hashOf(b) + "\r\n" + entry(a) + entry(b) + "Note: n\r\n";
    writeBook(address, "book",
              {{{yx::utf8ToGbkLossy("王五"), "wang@x.cn"}, "Emails: wang@x.cn\r\nNote: w\r\n"},
               {{"skip4", "s@x.cn", 0, 0, 0, true}, "Emails: s@x.cn\r\n"},
               {{"skip17", "s@x.cn", 0, 0, 0, false, true}, "Emails: s@x.cn\r\n"},
               {{"两址", "b@x.cn", 0, 0, 1}, twoCerts}},
              std::string(100, 'R')); // a short last record ends the file
    CFoxmailAddrBook book;
    ASSERT_EQ(book.GetContacts(), 0);
    ASSERT_EQ(book.GetCount(), 2);
    CFoxmailContact& wang = *book.GetAt(0);
    EXPECT_EQ(wang.name(), "王五");
    EXPECT_FALSE(wang.hasCertFlag());
    EXPECT_EQ(wang.getText(CFoxmailContact::kRest), "Note: w\r\n");
    CFoxmailContact& two = *book.GetAt(1);
    EXPECT_EQ(two.email(), "b@x.cn");
    EXPECT_EQ(two.primaryIndex(), 1);
    EXPECT_EQ(thumbs(two),
              (std::vector<std::string>{yxtest::thumbOf(a.cert.get()), yxtest::thumbOf(b.cert.get())}));
    EXPECT_EQ(two.getText(CFoxmailContact::kRest), "Note: n\r\n");
    EXPECT_TRUE(prompt.messages.empty());

    // The primary address's certificates are replaced in the order given.
    auto cb = certOf(b.der()), ca2 = certOf(a.der());
    two.SetCerts({cb.get(), ca2.get()});
    ASSERT_EQ(book.SaveContact(&two), 0);
    ASSERT_EQ(book.GetContacts(), 0);
    EXPECT_EQ(thumbs(*book.GetAt(1)),
              (std::vector<std::string>{yxtest::thumbOf(b.cert.get()), yxtest::thumbOf(a.cert.get())}));
}

TEST(FoxmailBlock, CertificateLinesSplitAtBars) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"|", {}}, {"|AAAA", {}}, {"AAAA BBBB", {"AAAA BBBB"}}, {"AAAA|BBBB|", {"AAAA", "BBBB", ""}}};
    for (const auto& [line, hashes] : cases) {
        CFoxmailContact c;
        c.setText(CFoxmailContact::kCertFlag, "\x01");
        CFoxmailAddrBook::ParseBlock(c, "Emails: a@x\r\nCertificates: " + line + "\r\n");
        EXPECT_EQ(c.hashList(0), hashes) << line;
        EXPECT_EQ(c.getList(CFoxmailContact::kCertLines), std::vector<std::string>{line});
    }
}

TEST(FoxmailBlock, Base64IsFoldedEvery76CharactersAndReadBackWhole) {
    const std::string b64 = std::string(76, 'A') + "BBBB";
    EXPECT_EQ(CFoxmailContact::certificateText(b64), "-----BEGIN CERTIFICATE-----\r\n " +
                                                         std::string(76, 'A') +
                                                         "\r\n BBBB\r\n -----END CERTIFICATE-----");
    for (const std::string& text : {b64, b64 + "\n"}) // with and without our encoder's line end
        EXPECT_EQ(CFoxmailContact::base64Of(CFoxmailContact::certificateText(text)),
                  std::string(76, 'A') + " BBBB");
}

TEST_F(AddrBook, SavingAppendsABlockAndRepointsTheRecordForEachCertificateCase) {
    const std::string withCerts = "Emails: a@x.cn\r\n b@x.cn\r\nCertificates: " + hashOf(a) + "\r\n " +
                                  hashOf(b) + "\r\n" + entry(a) + entry(b) + "Note: n\r\n";
    struct Case {
        std::string name, block, primary;
        unsigned char flagRead;
        const yxtest::Issued* set; // the one certificate set, or none
        std::string written;
        int flag;
    } cases[] = {
        {"one address, no certificates", "Emails: a@x.cn\r\nNote: n\r\n", "a@x.cn", 0, nullptr,
         "Emails: a@x.cn\r\nNote: n\r\n", 0},
        {"primary second, read without certificates", "Emails: a@x.cn\r\n b@x.cn\r\nNote: n\r\n", "b@x.cn", 0,
         &b,
         "Emails: a@x.cn\r\n b@x.cn\r\nCertificates: |\r\n " + hashOf(b) + "\r\n" + hashOf(b) + ": " +
             CFoxmailContact::certificateText(base64(b.der()) + "\n") + "\r\nNote: n\r\n",
         1},
        {"primary set again, read with certificates", withCerts, "b@x.cn", 1, &b,
         "Emails: a@x.cn\r\n b@x.cn\r\nCertificates: " + hashOf(a) + "\r\n " + hashOf(b) + "\r\n" + entry(a) +
             hashOf(b) + ": " + CFoxmailContact::certificateText(base64(b.der()) + "\n") + "\r\nNote: n\r\n",
         1},
        {"primary emptied, another line keeps its certificate", withCerts, "b@x.cn", 1, nullptr,
         "Emails: a@x.cn\r\n b@x.cn\r\nCertificates: " + hashOf(a) + "\r\n |\r\n" + entry(a) + "Note: n\r\n",
         1},
        {"every certificate gone",
         "Emails: b@x.cn\r\nCertificates: " + hashOf(b) + "\r\n" + entry(b) + "Note: n\r\n", "b@x.cn", 1,
         nullptr, "Emails: b@x.cn\r\nNote: n\r\n", 0},
    };
    for (const auto& c : cases) {
        writeBook(address, "book", {{{"某人", c.primary, 0, 0, c.flagRead}, c.block}});
        const std::string oldBox = box();
        CFoxmailAddrBook book;
        ASSERT_EQ(book.GetContacts(), 0) << c.name;
        ASSERT_EQ(book.GetCount(), 1) << c.name;
        const auto cert = c.set ? certOf(c.set->der()) : nullptr;
        if (c.set || c.flagRead)
            book.GetAt(0)->SetCerts(cert ? std::vector<CDigitalCertificate*>{cert.get()}
                                         : std::vector<CDigitalCertificate*>{});
        EXPECT_EQ(book.SaveContact(book.GetAt(0)), 0);
        EXPECT_EQ(box(), oldBox + kSeparator + c.written) << c.name; // appended; the old block stays
        EXPECT_EQ(pointed(0), std::make_pair(c.written, c.flag)) << c.name;
        // Read back and written again without changes: the same block.
        ASSERT_EQ(book.GetContacts(), 0);
        unsigned char flag = 0xFF;
        EXPECT_EQ(CFoxmailAddrBook::BuildBlock(*book.GetAt(0), flag), c.written) << c.name;
        EXPECT_EQ(flag, c.flag) << c.name;
    }
}

TEST_F(AddrBook, DamagedBooksLoadWhatTheyCanAndChangeNothing) {
    writeBook(address, "a",
              {{{"甲", "a@x.cn", 0xFFFFFF00u, 0xFFFFFFFFu, 1}, ""}, // block past the end
               {{"乙", "b@x.cn", 20, 0x7FFFFFFF, 1}, "Emails: b@x.cn\r\nCertificates: NOPE"}});
    writeBook(address, "b", {{{"丙", "c@x.cn"}, "Emails: c@x.cn\r\n"}});
    std::filesystem::remove(address + "/b.BOX");
    const std::string indA = ind("a"), boxA = box("a"), indB = ind("b");
    CFoxmailAddrBook book;
    EXPECT_EQ(book.GetContacts(), -1);
    EXPECT_EQ(book.GetCount(), 2); // the contacts before the missing text file stay
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"打开地址簿错误！"});
    EXPECT_EQ(thumbs(*book.GetAt(1)), std::vector<std::string>{});
    EXPECT_EQ(ind("a"), indA);
    EXPECT_EQ(box("a"), boxA);
    EXPECT_EQ(ind("b"), indB);
}

TEST_F(AddrBook, SavingAfterTheIndexChangedWritesNothing) {
    writeBook(address, "book", {{{"甲", "a@x.cn"}, "Emails: a@x.cn\r\n"}});
    CFoxmailAddrBook book;
    ASSERT_EQ(book.GetContacts(), 0);
    writeBook(address, "book", {{{"乙", "b@x.cn"}, "Emails: b@x.cn\r\n"}}); // rewritten by Foxmail meanwhile
    const std::string oldBox = box(), oldInd = ind();
    EXPECT_EQ(book.SaveContact(book.GetAt(0)), 0);
    EXPECT_EQ(box(), oldBox);
    EXPECT_EQ(ind(), oldInd);
}

} // namespace
