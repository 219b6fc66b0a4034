// Publishing to and withdrawing from NSS databases made with certutil, checked with certutil and
// pk12util from outside.
#include "CertPublisher.h"
#include "CertStore.h"
#include "NssTestDb.h"
#include "ResultCodes.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <openssl/x509v3.h>

using namespace yx::nss;
using yxtest::NssTestDb;

namespace {

class CertPublisherTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto mine = ca.issue({.cn = "张伟"});
        const auto pfx =
            yxtest::writeFile(files.path(), "me.pfx",
                              yxtest::makePfx(mine.key.get(), mine.cert.get(), {}, "pw",
                                              yxtest::PfxKind::TripleDes, std::string("张伟的证书")));
        ASSERT_EQ(my.ImportP12("", pfx.c_str(), "pw"), 0);
        const auto peer = ca.issue({.cn = "李娜", .email = "lina@example.cn"});
        ASSERT_EQ(other.ImportCert(yxtest::writeFile(files.path(), "o.cer", peer.der()).c_str()), 0);
        ASSERT_EQ(cas.ImportCert(yxtest::writeFile(files.path(), "ca.cer", ca.der()).c_str()), 0);
        for (CCertStore* s : std::initializer_list<CCertStore*>{&my, &other, &cas})
            ASSERT_EQ(s->OpenCertStore(), 0);
    }

    CDigitalCertificate& certOf(CertKind kind) {
        CCertStore& s = kind == CertKind::Personal      ? static_cast<CCertStore&>(my)
                        : kind == CertKind::OtherPeople ? static_cast<CCertStore&>(other)
                                                        : static_cast<CCertStore&>(cas);
        return *s.getCert(0);
    }

    static PasswordAsker answering(std::optional<std::string> pw) {
        return [pw](const NssDatabase&) { return pw; };
    }

    yxtest::ScopedDataRoot root;
    yxtest::TempDir files;
    yxtest::TestCa ca{"钥匣测试根CA"};
    CMyCertStore my;
    COtherCertStore other;
    CCaCertStore cas;
};

TEST_F(CertPublisherTest, PublishThenWithdraw_EachKind_AddsExactlyThatAndTakesItAway) {
    struct Case {
        CertKind kind;
        CaTrust trust;
        const char* nickname;
        const char* trustText;
        int keys;
    };
    const Case cases[] = {
        {CertKind::Personal, {}, "张伟的证书", "u,u,u", 1},
        {CertKind::OtherPeople, {}, "李娜", ",P,", 0},
        {CertKind::Ca, {true, true}, "钥匣测试根CA", "C,C,", 0},
        // A CA gets only the trust bits ticked.
        {CertKind::Ca, {false, false}, "钥匣测试根CA", ",,", 0},
        {CertKind::Ca, {true, false}, "钥匣测试根CA", "C,,", 0},
        {CertKind::Ca, {false, true}, "钥匣测试根CA", ",C,", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.trustText);
        NssTestDb nss;
        ASSERT_TRUE(nss.ok);
        CertPublisher publisher(answering(std::nullopt));
        std::string detail;
        ASSERT_EQ(publisher.publish(c.kind, certOf(c.kind), c.trust, nss.db(), detail), kOk) << detail;
        EXPECT_EQ(nss.certs(), (std::map<std::string, std::string>{{c.nickname, c.trustText}}));
        EXPECT_EQ(nss.keyCount(), c.keys);
        EXPECT_EQ(publisher.placement(certOf(c.kind), nss.db()), Placement::Published);
        if (c.keys) {
            // NSS's own export finds the key with the certificate.
            EXPECT_EQ(yxtest::runCommand({"pk12util", "-o", nss.file("out.p12"), "-n", c.nickname, "-d",
                                          "sql:" + nss.path(), "-W", "x", "-K", ""}),
                      0);
        }
        EXPECT_EQ(publisher.publish(c.kind, certOf(c.kind), c.trust, nss.db(), detail), kAlreadyPresent);

        ASSERT_EQ(publisher.withdraw(certOf(c.kind), nss.db(), detail), kOk) << detail;
        EXPECT_TRUE(nss.certs().empty());
        EXPECT_EQ(nss.keyCount(), 0);
        EXPECT_EQ(publisher.placement(certOf(c.kind), nss.db()), Placement::Absent);
        EXPECT_EQ(publisher.withdraw(certOf(c.kind), nss.db(), detail), kNotPublishedHere);
    }
}

TEST_F(CertPublisherTest, CertificateTheDatabaseHadBefore_IsNeitherPublishedNorWithdrawn) {
    NssTestDb nss;
    ASSERT_EQ(yxtest::runCommand({"certutil", "-A", "-d", "sql:" + nss.path(), "-n", "mine", "-t", ",,", "-i",
                                  yxtest::writeFile(files.path(), "peer.der",
                                                    certOf(CertKind::OtherPeople).getPCCERT()->der)}),
              0);
    CertPublisher publisher(answering(std::nullopt));
    std::string detail;
    CDigitalCertificate& cert = certOf(CertKind::OtherPeople);
    EXPECT_EQ(publisher.publish(CertKind::OtherPeople, cert, {}, nss.db(), detail), kAlreadyPresent);
    EXPECT_EQ(publisher.placement(cert, nss.db()), Placement::Preexisting);
    EXPECT_EQ(publisher.withdraw(cert, nss.db(), detail), kNotPublishedHere);
    EXPECT_EQ(nss.certs(), (std::map<std::string, std::string>{{"mine", ",,"}}));
}

TEST_F(CertPublisherTest, PrimaryPassword_RightOneWritesWrongOrNoneChangesNothing) {
    struct Case {
        std::optional<std::string> answer;
        int rc;
    };
    const Case cases[] = {{"wrong", kWrongPassword}, {std::nullopt, kCancelled}, {"秘密pw", kOk}};
    NssTestDb nss(std::string("秘密pw"));
    ASSERT_TRUE(nss.ok);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rc);
        std::string detail;
        EXPECT_EQ(CertPublisher(answering(c.answer))
                      .publish(CertKind::Personal, certOf(CertKind::Personal), {}, nss.db(), detail),
                  c.rc);
        EXPECT_EQ(nss.certs().size(), c.rc == kOk ? 1u : 0u);
        EXPECT_EQ(nss.keyCount(), c.rc == kOk ? 1 : 0);
    }
    std::string detail;
    EXPECT_EQ(CertPublisher(answering("wrong")).withdraw(certOf(CertKind::Personal), nss.db(), detail),
              kWrongPassword);
    EXPECT_EQ(nss.keyCount(), 1);
    EXPECT_EQ(CertPublisher(answering("秘密pw")).withdraw(certOf(CertKind::Personal), nss.db(), detail), kOk);
    EXPECT_EQ(nss.keyCount(), 0);
}

TEST_F(CertPublisherTest, LegacyDamagedOrVanishedDatabase_RefusedAndLeftAsItWas) {
    struct Case {
        const char* name;
        std::vector<const char*> files; // written with junk bytes
        bool removeDir;
        int rc;
    };
    const Case cases[] = {
        {"legacy", {"cert8.db", "key3.db", "secmod.db"}, false, kLegacyDatabase},
        {"damaged", {"cert9.db", "key4.db"}, false, kCannotOpen},
        {"vanished", {}, true, kNoDatabase},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        yxtest::TempDir parent;
        const std::string dir = parent.file("profile");
        std::filesystem::create_directory(dir);
        for (const char* f : c.files)
            yxtest::writeFile(dir, f, std::string(4096, 'x'));
        if (c.removeDir)
            std::filesystem::remove_all(dir);
        const auto before = [&] {
            std::map<std::string, yxtest::Bytes> m;
            if (std::filesystem::exists(dir))
                for (const auto& e : std::filesystem::directory_iterator(dir))
                    m[e.path().filename().string()] = yxtest::readFile(e.path().string());
            return m;
        };
        const auto was = before();
        NssDatabase db{"Firefox", c.name, dir, databaseFormat(dir)};
        std::string detail;
        CertPublisher publisher(answering(std::nullopt));
        EXPECT_EQ(publisher.publish(CertKind::OtherPeople, certOf(CertKind::OtherPeople), {}, db, detail),
                  c.rc);
        EXPECT_EQ(publisher.placement(certOf(CertKind::OtherPeople), db), Placement::Unreadable);
        EXPECT_EQ(before(), was);
        EXPECT_EQ(std::filesystem::exists(dir), !c.removeDir);
    }
}

} // namespace
