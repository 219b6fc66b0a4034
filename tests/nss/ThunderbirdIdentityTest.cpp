// A Thunderbird-like profile made in the test (profiles.ini, prefs.js with two identities, an NSS
// database made by certutil): choosing identity certificates, the running-profile refusal, and a
// contact's certificate found by address.
#include "CertStore.h"
#include "DiskCertStore.h"
#include "IdentityCerts.h"
#include "NssResult.h"
#include "NssTestDb.h"
#include "PrefsJsWriter.h"
#include "PublishedPlaces.h"
#include "ThunderbirdAddressBook.h"
#include "ThunderbirdProfileKit.h"
#include "ThunderbirdProfiles.h"

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace yx::nss;

namespace {

const std::string kPrefs = "// Mozilla User Preferences\n"
                           "user_pref(\"mail.identity.id1.fullName\", \"张伟\");\n"
                           "user_pref(\"mail.identity.id1.signing_cert_name\", \"\");\n"
                           "user_pref(\"mail.identity.id1.useremail\", \"zhang@example.cn\");\r\n"
                           "user_pref(\"mail.identity.id2.useremail\", \"wang@example.cn\");\n"
                           "user_pref(\"mail.server.server1.hostname\", \"imap.example.cn\");";

class ThunderbirdIdentityTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = yxtest::makeThunderbirdProfile(home.path(), kPrefs,
                                             {{"王芳", "wang@example.cn"}, {"", "li@example.cn"}});
        ASSERT_FALSE(dir.empty());
        int key = 1;
        for (const char* who : {"zhang", "wang"}) {
            yxtest::CertProfile p;
            p.cn = who;
            p.email = std::string(who) + "@example.cn";
            p.keyIndex = key++;
            const auto issued = ca.issue(p);
            const auto pfx = yxtest::writeFile(files.path(), p.cn + ".pfx",
                                               yxtest::makePfx(issued.key.get(), issued.cert.get(), {}, "pw",
                                                               yxtest::PfxKind::TripleDes, std::nullopt));
            ASSERT_EQ(my.ImportP12("", pfx.c_str(), "pw"), 0);
        }
        ASSERT_EQ(my.OpenCertStore(), 0);
        ASSERT_EQ(my.GetCertCount(), 2);
        const auto profiles = thunderbirdProfiles(home.path());
        ASSERT_EQ(profiles.size(), 1u);
        profile = profiles[0];
    }

    CDigitalCertificate* mine(const std::string& cn) {
        for (int i = 0; i < my.GetCertCount(); ++i) {
            std::string name;
            if (my.getCert(i)->getDisplayName(name) == 0 && name == cn)
                return my.getCert(i);
        }
        return nullptr;
    }

    std::string prefsText() const {
        const auto b = yxtest::readFile(dir + "/prefs.js");
        return std::string(b.begin(), b.end());
    }

    yxtest::ScopedDataRoot root;
    yxtest::ScopedHome home;
    yxtest::TempDir files;
    yxtest::TestCa ca{"钥匣测试根CA"};
    CMyCertStore my;
    std::string dir;
    NssDatabase profile;
    CertPublisher publisher{[](const NssDatabase&) { return std::nullopt; }};
};

TEST_F(ThunderbirdIdentityTest, ChosenCertificates_ReadBackForBothIdentities_OtherLinesUnchanged) {
    CDigitalCertificate* zhang = mine("zhang");
    CDigitalCertificate* wang = mine("wang");
    ASSERT_TRUE(zhang && wang);
    std::string detail;
    ASSERT_EQ(setIdentityCerts(publisher, profile, "id1", zhang, zhang, detail), kOk) << detail;
    ASSERT_EQ(setIdentityCerts(publisher, profile, "id2", wang, nullptr, detail), kOk) << detail;

    const auto ids = thunderbirdIdentities(home.path());
    ASSERT_EQ(ids.size(), 2u);
    const MailIdentity& a = ids[0].identity;
    const MailIdentity& b = ids[1].identity;
    EXPECT_EQ(profileCertByNickname(profile, a.signingCert), zhang->getPCCERT()->der);
    EXPECT_EQ(profileCertByNickname(profile, a.encryptionCert), zhang->getPCCERT()->der);
    EXPECT_EQ(profileCertByNickname(profile, b.signingCert), wang->getPCCERT()->der);
    EXPECT_TRUE(b.encryptionCert.empty());
    // The certificate pages name the profile from the ledger.
    EXPECT_EQ(
        publishedPlaces(yx::DiskCertStore::entryIdOf(zhang->getPCCERT()->der), PublishLedger(), home.path()),
        std::vector<std::string>{"Thunderbird — default"});

    // id1's existing line is rewritten in place; the new ones follow the last line.
    std::string expected = kPrefs;
    const std::string old = "signing_cert_name\", \"\")";
    expected.replace(expected.find(old), old.size(), "signing_cert_name\", \"" + a.signingCert + "\")");
    expected += "\nuser_pref(\"mail.identity.id1.encryption_cert_name\", \"" + a.encryptionCert + "\");\n";
    expected += "user_pref(\"mail.identity.id2.signing_cert_name\", \"" + b.signingCert + "\");\n";
    EXPECT_EQ(prefsText(), expected);
}

TEST_F(ThunderbirdIdentityTest, ProfileInUse_RefusedAndNothingWritten) {
    const auto lockParent = [&] {
        const int fd = ::open((dir + "/.parentlock").c_str(), O_RDWR | O_CREAT, 0600);
        struct flock l {};
        l.l_type = F_WRLCK;
        l.l_whence = SEEK_SET;
        EXPECT_EQ(::fcntl(fd, F_SETLK, &l), 0);
        return fd; // closing it releases the lock
    };
    const auto linkToUs = [&] {
        std::filesystem::create_symlink("127.0.1.1:+" + std::to_string(::getpid()), dir + "/lock");
        return -1;
    };
    for (const auto& hold : {std::function<int()>(lockParent), std::function<int()>(linkToUs)}) {
        const int fd = hold();
        std::string detail;
        EXPECT_EQ(setIdentityCerts(publisher, profile, "id1", mine("zhang"), nullptr, detail), kProfileInUse);
        EXPECT_EQ(prefsText(), kPrefs);
        EXPECT_TRUE(profileCertsForEmail(profile, "zhang@example.cn").empty());
        if (fd >= 0)
            ::close(fd);
        std::filesystem::remove(dir + "/lock");
    }
}

TEST_F(ThunderbirdIdentityTest, Contact_FromAddressBook_CertificateFoundByAddress) {
    std::string detail;
    ASSERT_EQ(publisher.publish(CertKind::OtherPeople, *mine("wang"), {}, profile, detail), kOk) << detail;

    const auto contacts = thunderbirdContacts(profile);
    ASSERT_EQ(contacts.size(), 2u);
    EXPECT_EQ(contacts[0].name, "王芳");
    EXPECT_EQ(contacts[1].name, "li@example.cn");
    const auto found = profileCertsForEmail(profile, "WANG@example.cn");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], mine("wang")->getPCCERT()->der);
    EXPECT_TRUE(profileCertsForEmail(profile, contacts[1].email).empty());
}

} // namespace

namespace {

TEST(PrefsJsWriterTest, TextTheChangeWouldNotReadBackFrom_IsLeftAlone) {
    for (const char* damaged : {"user_pref(\"a\", 1);\n/* never closed", "user_pref(\"a\", \"never closed"}) {
        SCOPED_TRACE(damaged);
        EXPECT_FALSE(withUserPref(damaged, "mail.identity.id1.signing_cert_name", "x"));
    }
}

} // namespace
