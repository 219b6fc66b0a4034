// CLdapCert against a real slapd on 127.0.0.1: matches by e-mail, name and both, filter
// characters in names, values that are no certificates, bases, and hosts that are down or
// never answer.
#include "LdapCert.h"
#include "DirectoryData.h"

#include <chrono>
#include <gtest/gtest.h>

using namespace yxtest;

namespace {

class LdapCertSearch : public ::testing::Test {
protected:
    void SetUp() override { YX_REQUIRE_DIRECTORY_SERVER(); }

    DirectoryServer& dir() { return DirectoryServer::get(); }
    const std::string& t(const char* key) { return dir().thumb(key); }

    // Runs one query and keeps only its results in `found`.
    int query(const std::string& host, const char* name, const char* email) {
        found.certs.clear();
        CLdapCert ldap;
        const int rc = ldap.getUserCertificates(host.c_str(), name, email, found.certs);
        lastError = ldap.lastError();
        return rc;
    }

    Found found;
    std::string lastError;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

TEST_F(LdapCertSearch, ByEmailAndByBothSkippingValuesThatAreNoCertificates) {
    ASSERT_EQ(query(dir().slapd().urlA(), nullptr, "zhang@example.cn"), 0) << lastError;
    // The entry holds the junk value first and the certificate second.
    EXPECT_EQ(found.thumbs(), std::vector<std::string>{t("zhang1")});

    // An entry whose only value is junk gives nothing, and that is a successful query.
    EXPECT_EQ(query(dir().slapd().urlA(), "", "hanmei@example.cn"), 0);
    EXPECT_TRUE(found.certs.empty());

    ASSERT_EQ(query(dir().slapd().urlA(), "张三", "zhang2@example.cn"), 0) << lastError;
    EXPECT_EQ(found.thumbs(), std::vector<std::string>{t("zhang2")});
    EXPECT_EQ(query(dir().slapd().urlA(), "张三", "alice@example.cn"), 0);
    EXPECT_TRUE(found.certs.empty()) << "name and e-mail must both match";
}

// Filter characters in a name are text: as wildcards the last four names below would match the
// star entry (or every entry). No match, also an entry without certificates, is a success.
TEST_F(LdapCertSearch, FilterCharactersInNamesAreLiteralAndNoMatchIsSuccess) {
    ASSERT_EQ(query(dir().slapd().urlA(), kStarName, nullptr), 0) << lastError;
    EXPECT_EQ(found.thumbs(), std::vector<std::string>{t("star")});
    const std::pair<const char*, const char*> cases[] = {
        {"没有此人", ""}, {"", "nobody@example.cn"}, {"无证书", ""},   {"*", ""},
        {"星号*", ""},    {"星号*(括号)*", ""},      {"x)(|(cn=*", ""}};
    for (const auto& [name, email] : cases) {
        EXPECT_EQ(query(dir().slapd().urlA(), name, email), 0) << name << email << lastError;
        EXPECT_TRUE(found.certs.empty()) << name << email;
    }
}

TEST_F(LdapCertSearch, BaseOfTheUrlLimitsTheSearchAndAnEmptyOneSearchesAll) {
    // Bob lives under host B's suffix only.
    ASSERT_EQ(query(dir().slapd().urlA(), "Bob", ""), 0);
    EXPECT_TRUE(found.certs.empty());
    ASSERT_EQ(query(dir().slapd().urlB(), "Bob", ""), 0) << lastError;
    EXPECT_EQ(found.thumbs(), std::vector<std::string>{t("bob")});

    // An empty base searches every naming context: 韩梅 is in both suffixes: junk under A, a certificate
    // under B.
    ASSERT_EQ(query(dir().slapd().urlRoot(), "韩梅", ""), 0) << lastError;
    EXPECT_EQ(found.thumbs(), std::vector<std::string>{t("hanmei")});
    ASSERT_EQ(query(dir().slapd().urlRoot(), "", "lisi@example.cn"), 0) << lastError;
    EXPECT_EQ(found.thumbs(), std::vector<std::string>{t("lisi")});

    // A bare host:port (blanks around it ignored) is an ldap:// URL without a base.
    const std::string hostPort = " 127.0.0.1:" + std::to_string(dir().slapd().port()) + "\t";
    ASSERT_EQ(query(hostPort, "张三", "zhang@example.cn"), 0) << lastError;
    EXPECT_EQ(found.thumbs(), std::vector<std::string>{t("zhang1")});
}

TEST_F(LdapCertSearch, LdapsChecksTheServerCertificate) {
    ASSERT_EQ(query(dir().slapd().tlsUrlA(), "", "zhang@example.cn"), 0) << lastError;
    EXPECT_EQ(found.thumbs(), std::vector<std::string>{t("zhang1")});

    // The certificate names 127.0.0.1, not localhost: the handshake must fail.
    const std::string wrongName = "ldaps://localhost:" + std::to_string(dir().slapd().tlsPort()) + "/";
    EXPECT_EQ(query(wrongName, "张三", ""), CLdapCert::kConnectFailed) << lastError;
    EXPECT_TRUE(found.certs.empty());
}

TEST_F(LdapCertSearch, MissingCriteriaAndBadHostsFailWithoutResults) {
    EXPECT_EQ(query(dir().slapd().urlA(), "", ""), CLdapCert::kNoCriteria);
    EXPECT_EQ(query(dir().slapd().urlA(), nullptr, nullptr), CLdapCert::kNoCriteria);
    EXPECT_EQ(query("", "张三", ""), CLdapCert::kBadHost);
    EXPECT_EQ(query("http://127.0.0.1/", "张三", ""), CLdapCert::kBadHost);
    EXPECT_EQ(query("ldap:///dc=hosta,dc=test", "张三", ""), CLdapCert::kBadHost) << "no host";
    // A base that does not exist on the server is a failed query.
    EXPECT_EQ(query(dir().slapd().urlRoot() + "dc=absent,dc=test", "张三", ""), CLdapCert::kSearchFailed);
    EXPECT_FALSE(lastError.empty());
    EXPECT_TRUE(found.certs.empty());
}

TEST(LdapCertHosts, RefusedConnectionFailsAtOnce) {
    Found found;
    CLdapCert ldap;
    const std::string url = "ldap://127.0.0.1:" + std::to_string(closedPort()) + "/dc=hosta,dc=test";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ldap.getUserCertificates(url.c_str(), "张三", "", found.certs), CLdapCert::kConnectFailed);
    EXPECT_LT(secondsSince(start), 2.0);
    EXPECT_TRUE(found.certs.empty());
    EXPECT_NE(ldap.lastError().find("127.0.0.1"), std::string::npos) << ldap.lastError();
}

// The kernel accepts the connection; the bind request is never answered.
TEST(LdapCertHosts, SilentHostFailsWithinTheDefaultBound) {
    SilentServer silent;
    ASSERT_NE(silent.port(), 0);
    Found found;
    CLdapCert ldap;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ldap.getUserCertificates(silent.url().c_str(), "张三", "zhang@example.cn", found.certs),
              CLdapCert::kTimedOut);
    const double took = secondsSince(start);
    EXPECT_GE(took, CLdapCert::Timeouts{}.queryMs / 1000.0 - 0.5) << "gave up before its time";
    EXPECT_LT(took, CLdapCert::Timeouts{}.queryMs / 1000.0 + 2.0);
    EXPECT_TRUE(found.certs.empty());
}
