// "全部搜索" over hosts A and B: results of both in host order, and a failure only when both fail.
#include "DirectorySearch.h"
#include "DirectoryData.h"
#include "LdapCert.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace yxtest;
using yx::directory::searchHosts;

namespace {

class SearchBothHosts : public ::testing::Test {
protected:
    void SetUp() override { YX_REQUIRE_DIRECTORY_SERVER(); }
    SlapdFixture& slapd() { return DirectoryServer::get().slapd(); }
    const std::string& t(const char* key) { return DirectoryServer::get().thumb(key); }
    std::string down() { return "ldap://127.0.0.1:" + std::to_string(closedPort()) + "/dc=down,dc=test"; }
};

} // namespace

TEST_F(SearchBothHosts, ResultsOfBothHostsInHostOrder) {
    Found found;
    ASSERT_EQ(searchHosts({slapd().urlA(), slapd().urlB()}, "韩梅", "", found.certs), 0);
    EXPECT_EQ(found.thumbs(), std::vector<std::string>{t("hanmei")}) << "host A's value is junk";

    Found both;
    ASSERT_EQ(searchHosts({slapd().urlB(), slapd().urlA()}, "", "bob@example.cn", both.certs), 0);
    ASSERT_EQ(searchHosts({slapd().urlA(), slapd().urlB()}, "", "zhang2@example.cn", both.certs), 0);
    EXPECT_EQ(both.thumbs(), (std::vector<std::string>{t("bob"), t("zhang2")})) << "appended, not replaced";
}

TEST_F(SearchBothHosts, OneHostDownIsNotAFailure) {
    Found found;
    std::string errors;
    ASSERT_EQ(searchHosts({down(), slapd().urlB()}, "李四", "", found.certs, &errors), 0);
    EXPECT_EQ(found.thumbs(), std::vector<std::string>{t("lisi")});
    EXPECT_NE(errors.find("127.0.0.1"), std::string::npos) << "the failed host is still reported: " << errors;

    Found fromA;
    ASSERT_EQ(searchHosts({slapd().urlA(), down()}, kStarName, "", fromA.certs), 0);
    EXPECT_EQ(fromA.thumbs(), std::vector<std::string>{t("star")});

    // Host A down and host B without a match: a successful search that found nothing.
    Found none;
    EXPECT_EQ(searchHosts({down(), slapd().urlB()}, "没有此人", "", none.certs), 0);
    EXPECT_TRUE(none.certs.empty());
}

TEST(SearchHosts, FailsOnlyWhenEveryHostFails) {
    const std::string a = "ldap://127.0.0.1:" + std::to_string(closedPort()) + "/";
    Found found;
    std::string errors;
    EXPECT_EQ(searchHosts({a, "not a url://"}, "张三", "", found.certs, &errors), CLdapCert::kBadHost)
        << "the last host's failure";
    EXPECT_EQ(searchHosts({a}, "张三", "", found.certs), CLdapCert::kConnectFailed);
    EXPECT_NE(searchHosts({}, "张三", "", found.certs), 0) << "no host at all";
    EXPECT_EQ(searchHosts({a, a}, "", "", found.certs), CLdapCert::kNoCriteria);
    EXPECT_TRUE(found.certs.empty());
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 2);
}
