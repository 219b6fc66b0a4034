#include "BatchLookup.h"
#include "FoxmailAddrBook.h"
#include "MailTestKit.h"
#include "People.h"
#include "SlapdFixture.h"

using namespace mailtest;

namespace {

// Five contacts without certificates; directory host B holds one certificate for three of them.
struct Batch : ::testing::Test {
    yxtest::ScopedDataRoot root;
    ScopedEnv wine{"WINEPREFIX", root.file("wine")};
    std::string address = makeWinePrefix(root.file("wine")) + "/Address";
    yxtest::TestCa ca;
    yxtest::SlapdFixture slapd;
    std::vector<std::string> emails = {"c0@x.cn", "c1@x.cn", "c2@x.cn", "c3@x.cn", "c4@x.cn"};
    std::vector<std::string> found; // thumbprints by contact, empty when none

    void SetUp() override {
        if (const std::string why = yxtest::SlapdFixture::unavailableReason(); !why.empty())
            GTEST_SKIP() << why;
        std::vector<yxtest::DirectoryEntry> hostB;
        std::vector<BookContact> contacts;
        for (size_t i = 0; i < emails.size(); ++i) {
            contacts.push_back({{"c" + std::to_string(i), emails[i]}, "Emails: " + emails[i] + "\r\n"});
            found.emplace_back();
            if (i % 2 == 0) { // contacts 0, 2 and 4
                const auto who = issue(ca, "c" + std::to_string(i), emails[i], static_cast<int>(i % 3) + 1);
                found.back() = yxtest::thumbOf(who.cert.get());
                hostB.push_back({"c" + std::to_string(i), emails[i], {who.der()}});
            }
        }
        writeBook(address, "book", contacts);
        std::string error;
        ASSERT_TRUE(slapd.start({}, hostB, error)) << error;
    }
};

TEST_F(Batch, ConfiguresTheContactsTheDirectoryHoldsACertificateFor) {
    CFoxmailAddrBook book;
    ASSERT_EQ(book.GetContacts(), 0);
    const auto list = yx::mail::batchList(book);
    ASSERT_EQ(list.size(), 5u);
    CBatchLookup lookup(yx::mail::addressesOf(list));
    std::vector<int> progress;
    const std::atomic<bool> cancel{false};
    ASSERT_EQ(lookup.Run(
                  cancel, [&](int done, int) { progress.push_back(done); }, slapd.urlB()),
              CBatchLookup::kDone);
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 3, 4, 5}));
    std::vector<CDigitalCertificate*> chosen;
    for (int i = 0; i < 5; ++i)
        chosen.push_back(lookup.OnlyFound(i));
    EXPECT_EQ(yx::mail::applyBatch(book, list, chosen), 3);

    ASSERT_EQ(book.GetContacts(), 0);
    for (int i = 0; i < 5; ++i) {
        yx::OwnedCerts certs;
        book.GetAt(i)->GetCerts(certs);
        EXPECT_EQ(certs.empty() ? "" : thumbOf(certs[0].get()), found[static_cast<size_t>(i)]) << i;
    }
    EXPECT_EQ(yx::mail::batchList(book).size(), 2u);
}

TEST_F(Batch, CancelStopsAfterTheContactInProgressAndAFailedQueryEndsTheBatch) {
    CBatchLookup lookup(emails);
    std::atomic<bool> cancel{false};
    EXPECT_EQ(lookup.Run(
                  cancel, [&](int, int) { cancel = true; }, slapd.urlB()),
              CBatchLookup::kCancelled);
    EXPECT_EQ(lookup.SearchedCount(), 1);
    EXPECT_EQ(lookup.Found(0).size(), 1u);

    cancel = false;
    EXPECT_EQ(lookup.Run(cancel, {}, "ldap://127.0.0.1:" + std::to_string(yxtest::closedPort()) + "/"),
              CBatchLookup::kDirectoryFailed);
    EXPECT_EQ(lookup.SearchedCount(), 0);
    EXPECT_FALSE(lookup.lastError().empty());
}

} // namespace
