// yaoxia-tool ldap-search, run as the real executable against the directory tests' slapd, whose
// two suffixes are configured as directory hosts A and B in a temporary data root.
#include "../directory/DirectoryData.h"
#include "ToolRunner.h"

#include <gtest/gtest.h>

using namespace yxtest;

namespace {

const std::string kNoMatch = "目录服务中不存在与搜索条件相符的项!";
const std::string kFailed = "目录查询失败!";
const std::string kNoCriteria = "必须输入查询条件!";

class ToolLdapSearch : public ::testing::Test {
protected:
    void SetUp() override {
        YX_REQUIRE_DIRECTORY_SERVER();
        ASSERT_EQ(tool({"settings", "set", "Directory", "HostA", dir().slapd().urlA()}).status, 0);
        ASSERT_EQ(tool({"settings", "set", "Directory", "HostB", dir().slapd().urlB()}).status, 0);
    }
    static DirectoryServer& dir() { return DirectoryServer::get(); }

    ScopedDataRoot root;
};

} // namespace

// Which values are certificates and which entries match is LdapCertTest's; here what is printed.
TEST_F(ToolLdapSearch, PrintsHolderEmailAndThumbprintOrTheMessage) {
    ToolRun r = tool({"ldap-search", "B", "--name", "李四", "--email", "lisi@example.cn"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(toolRows(r.out),
              (std::vector<std::vector<std::string>>{{"李四", "lisi@example.cn", dir().thumb("lisi")}}));
    EXPECT_FALSE(has(r.err, kNoMatch));

    ToolRun none = tool({"ldap-search", "A", "--name", "李四"}); // 李四 is on host B only
    EXPECT_EQ(none.status, 0);
    EXPECT_TRUE(none.out.empty()) << none.out;
    EXPECT_TRUE(has(none.err, kNoMatch)) << none.err;
}

TEST_F(ToolLdapSearch, NoCriteriaIsRefused) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"ldap-search", "all"}, {"ldap-search", "A", "--name", "", "--email", ""}}) {
        ToolRun r = tool(args);
        EXPECT_NE(r.status, 0);
        EXPECT_TRUE(has(r.err, kNoCriteria)) << r.err;
        EXPECT_FALSE(has(r.err, kFailed));
    }
    EXPECT_EQ(tool({"ldap-search", "C", "--name", "x"}).status, 2);
    EXPECT_EQ(tool({"ldap-search", "--name", "x"}).status, 2);
}

TEST_F(ToolLdapSearch, ImportAddsEveryCertificateFound) {
    ASSERT_EQ(tool({"ldap-search", "A", "--name", "张三"}).status, 0); // without --import: kept out
    ToolRun r = tool({"ldap-search", "all", "--email", "hanmei@example.cn", "--import"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto other = toolRows(tool({"list", "other"}).out);
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(other[0][6], dir().thumb("hanmei"));
}
