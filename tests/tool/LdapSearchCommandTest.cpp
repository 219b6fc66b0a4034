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

TEST_F(ToolLdapSearch, PrintsHolderEmailAndThumbprint) {
    ToolRun r = tool({"ldap-search", "A", "--email", "zhang@example.cn"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto found = toolRows(r.out);
    ASSERT_EQ(found.size(), 1u) << r.out << "the junk value is no certificate";
    EXPECT_EQ(found[0], (std::vector<std::string>{"张三", "zhang@example.cn", dir().thumb("zhang1")}));
    EXPECT_FALSE(has(r.err, kNoMatch));

    ToolRun both = tool({"ldap-search", "B", "--name", "李四", "--email", "lisi@example.cn"});
    ASSERT_EQ(both.status, 0) << both.err;
    ASSERT_EQ(toolRows(both.out).size(), 1u);
    EXPECT_EQ(toolRows(both.out)[0][2], dir().thumb("lisi"));
}

TEST_F(ToolLdapSearch, NothingFoundIsSuccessWithTheMessage) {
    ToolRun r = tool({"ldap-search", "A", "--name", "李四"}); // 李四 is on host B only
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_TRUE(has(r.err, kNoMatch)) << r.err;
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
    ASSERT_TRUE(tool({"list", "other"}).out.empty());
    // 韩梅 on host A has only a value that is no certificate; on host B a real one.
    ToolRun r = tool({"ldap-search", "all", "--email", "hanmei@example.cn", "--import"});
    ASSERT_EQ(r.status, 0) << r.err;
    ToolRun r2 = tool({"ldap-search", "B", "--name", "李四", "--import"});
    ASSERT_EQ(r2.status, 0) << r2.err;

    const auto other = toolRows(tool({"list", "other"}).out);
    ASSERT_EQ(other.size(), 2u);
    EXPECT_EQ(other[0][1], "韩梅");
    EXPECT_EQ(other[0][6], dir().thumb("hanmei"));
    EXPECT_EQ(other[1][1], "李四");
    EXPECT_EQ(other[1][6], dir().thumb("lisi"));

    // Without --import the store stays as it is.
    ASSERT_EQ(tool({"ldap-search", "A", "--name", "张三"}).status, 0);
    EXPECT_EQ(toolRows(tool({"list", "other"}).out).size(), 2u);
}
