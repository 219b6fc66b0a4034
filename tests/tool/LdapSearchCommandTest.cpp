// yaoxia-tool ldap-search, run as the real executable against a slapd on 127.0.0.1 whose two
// suffixes are configured as directory hosts A and B in a temporary data root.
#include "People.h"
#include "SlapdFixture.h"
#include "TestPki.h"
#include "ToolRunner.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace yxtest;

namespace {

const std::string kNoMatch = "目录服务中不存在与搜索条件相符的项!";
const std::string kFailed = "目录查询失败!";
const std::string kNoCriteria = "必须输入查询条件!";

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// One slapd for the whole program; each test gets a fresh data root pointing at it.
struct Directory {
    SlapdFixture slapd;
    std::string unavailable, problem;
    std::string zhang, wang, li; // thumbprint texts

    Directory() {
        unavailable = SlapdFixture::unavailableReason();
        if (!unavailable.empty())
            return;
        TestCa ca; // thumbprint texts as DigitalCertificateTest checks them against openssl's
        const Issued z = ca.issue({.cn = "张三", .email = "zhang@example.cn"});
        const Issued w = ca.issue({.cn = "王五", .email = "wang@example.cn"});
        const Issued l = ca.issue({.cn = "李四", .email = "li@example.cn"});
        zhang = thumbOf(z), wang = thumbOf(w), li = thumbOf(l);
        std::string error;
        if (!slapd.start({{"张三", "zhang@example.cn", {junkCertificateValue(), z.der()}},
                          {"王五", "wang@example.cn", {w.der()}}},
                         {{"李四", "li@example.cn", {l.der()}}, {"王五", "wang@example.cn", {}}}, error))
            problem = error;
    }
    static Directory& get() {
        static Directory d;
        return d;
    }
};

class ToolLdapSearch : public ::testing::Test {
protected:
    void SetUp() override {
        if (!dir().unavailable.empty())
            GTEST_SKIP() << dir().unavailable;
        ASSERT_TRUE(dir().problem.empty()) << dir().problem;
        setHosts(dir().slapd.urlA(), dir().slapd.urlB());
    }
    static Directory& dir() { return Directory::get(); }
    void setHosts(const std::string& a, const std::string& b) {
        ASSERT_EQ(tool({"settings", "set", "Directory", "HostA", a}).status, 0);
        ASSERT_EQ(tool({"settings", "set", "Directory", "HostB", b}).status, 0);
    }
    std::string down() const {
        return "ldap://127.0.0.1:" + std::to_string(closedPort()) + "/dc=hosta,dc=test";
    }

    ScopedDataRoot root;
};

} // namespace

TEST_F(ToolLdapSearch, PrintsHolderEmailAndThumbprint) {
    ToolRun r = tool({"ldap-search", "A", "--email", "zhang@example.cn"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto found = toolRows(r.out);
    ASSERT_EQ(found.size(), 1u) << r.out << "the junk value is no certificate";
    EXPECT_EQ(found[0], (std::vector<std::string>{"张三", "zhang@example.cn", dir().zhang}));
    EXPECT_FALSE(has(r.err, kNoMatch));

    ToolRun both = tool({"ldap-search", "B", "--name", "李四", "--email", "li@example.cn"});
    ASSERT_EQ(both.status, 0) << both.err;
    ASSERT_EQ(toolRows(both.out).size(), 1u);
    EXPECT_EQ(toolRows(both.out)[0][2], dir().li);
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
    ToolRun r = tool({"ldap-search", "all", "--email", "wang@example.cn", "--import"});
    ASSERT_EQ(r.status, 0) << r.err;
    ToolRun r2 = tool({"ldap-search", "B", "--name", "李四", "--import"});
    ASSERT_EQ(r2.status, 0) << r2.err;

    const auto other = toolRows(tool({"list", "other"}).out);
    ASSERT_EQ(other.size(), 2u);
    EXPECT_EQ(other[0][1], "王五");
    EXPECT_EQ(other[0][6], dir().wang);
    EXPECT_EQ(other[1][1], "李四");
    EXPECT_EQ(other[1][6], dir().li);

    // Without --import the store stays as it is.
    ASSERT_EQ(tool({"ldap-search", "A", "--name", "张三"}).status, 0);
    EXPECT_EQ(toolRows(tool({"list", "other"}).out).size(), 2u);
}
