// A Thunderbird-like profile made in the test (profiles.ini, prefs.js with two identities, an NSS
// database made by certutil): choosing identity certificates, the running-profile refusal, and a
// contact's certificate found by address.
#include "CertStore.h"
#include "DiskCertStore.h"
#include "IdentityCerts.h"
#include "NssTestDb.h"
#include "People.h"
#include "PrefsJsWriter.h"
#include "PublishedPlaces.h"
#include "ResultCodes.h"
#include "ThunderbirdAddressBook.h"
#include "ThunderbirdProfileKit.h"
#include "ThunderbirdProfiles.h"

#include <array>
#include <fcntl.h>
#include <filesystem>
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
        const auto zhang = people.person("zhang", "zhang@example.cn", 1);
        const auto wang = people.person("wang", "wang@example.cn", 2);
        ASSERT_TRUE(!dir.empty() && yxtest::addToStore("my", zhang) && yxtest::addToStore("my", wang));
        ASSERT_EQ(my.OpenCertStore(), 0);
        mine = {my.FindByThumb(yxtest::thumbOf(zhang)), my.FindByThumb(yxtest::thumbOf(wang))};
        profile = thunderbirdProfiles(home.path()).at(0);
    }

    std::string prefsText() const {
        const auto b = yxtest::readFile(dir + "/prefs.js");
        return std::string(b.begin(), b.end());
    }

    yxtest::ScopedDataRoot root;
    yxtest::ScopedHome home;
    yxtest::People people;
    CMyCertStore my;
    std::array<CDigitalCertificate*, 2> mine{}; // zhang, wang
    std::string dir;
    NssDatabase profile;
    CertPublisher publisher{[](const NssDatabase&) { return std::nullopt; }};
};

TEST_F(ThunderbirdIdentityTest, ChosenCertificates_ReadBackForBothIdentities_OtherLinesUnchanged) {
    auto [zhang, wang] = mine;
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
    // A running program holds a write lock on .parentlock (here through another descriptor), or
    // its `lock` link names a live process (here this one).
    for (const bool byLink : {false, true}) {
        int fd = -1;
        struct flock lock {};
        lock.l_type = F_WRLCK;
        if (byLink)
            std::filesystem::create_symlink("127.0.1.1:+" + std::to_string(::getpid()), dir + "/lock");
        else
            ASSERT_EQ(
                ::fcntl(fd = ::open((dir + "/.parentlock").c_str(), O_RDWR | O_CREAT, 0600), F_SETLK, &lock),
                0);
        std::string detail;
        EXPECT_EQ(setIdentityCerts(publisher, profile, "id1", mine[0], nullptr, detail), kProfileInUse);
        EXPECT_EQ(prefsText(), kPrefs);
        EXPECT_TRUE(profileCertsForEmail(profile, "zhang@example.cn").empty());
        if (fd >= 0)
            ::close(fd);
        std::filesystem::remove(dir + "/lock");
    }
}

TEST_F(ThunderbirdIdentityTest, Contact_FromAddressBook_CertificateFoundByAddress) {
    std::string detail;
    ASSERT_EQ(publisher.publish(CertKind::OtherPeople, *mine[1], {}, profile, detail), kOk) << detail;

    const auto contacts = thunderbirdContacts(profile);
    ASSERT_EQ(contacts.size(), 2u);
    EXPECT_EQ(contacts[0].name, "王芳");
    EXPECT_EQ(contacts[1].name, "li@example.cn");
    const auto found = profileCertsForEmail(profile, "WANG@example.cn");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], mine[1]->getPCCERT()->der);
    EXPECT_TRUE(profileCertsForEmail(profile, contacts[1].email).empty());
}

TEST(PrefsJsWriterTest, TextTheChangeWouldNotReadBackFrom_IsLeftAlone) {
    for (const char* damaged : {"user_pref(\"a\", 1);\n/* never closed", "user_pref(\"a\", \"never closed"}) {
        SCOPED_TRACE(damaged);
        EXPECT_FALSE(withUserPref(damaged, "mail.identity.id1.signing_cert_name", "x"));
    }
}

} // namespace
