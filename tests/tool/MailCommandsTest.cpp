// yaoxia-tool mail, run as the real executable against a temporary data root and Wine prefix.
#include "../mail/MailTestKit.h"
#include "DataPaths.h"
#include "OEEmailAcc.h"
#include "People.h"
#include "Settings.h"
#include "SlapdFixture.h"
#include "ToolRunner.h"

using namespace mailtest;
using yxtest::tool;
using yxtest::toolRows;

namespace {

struct ToolMail : ::testing::Test {
    yxtest::ScopedDataRoot root;
    ScopedEnv wine{"WINEPREFIX", root.file("wine")};
    std::string foxmail = makeWinePrefix(root.file("wine"));
    yxtest::TestCa ca;
    yxtest::Issued mine = issue(ca, "张三", "zhang@x.cn", 1), li = issue(ca, "李四", "li@x.cn", 2),
                   li2 = issue(ca, "李四", "li@x.cn", 3);
    std::string tMine = yxtest::thumbOf(mine.cert.get()), tLi = yxtest::thumbOf(li.cert.get()),
                tLi2 = yxtest::thumbOf(li2.cert.get());

    void SetUp() override {
        ASSERT_TRUE(yxtest::addToStore("my", mine));
        ASSERT_TRUE(yxtest::addToStore("other", li, std::nullopt, false));
        ASSERT_TRUE(yxtest::addToStore("other", li2, std::nullopt, false));
        ASSERT_TRUE(COEEmailAcc::AddAccount("张三", "zhang@x.cn"));
        std::filesystem::create_directories(yx::paths::dataDir() + "/addressbook");
        yxtest::writeFile(
            yx::paths::dataDir() + "/addressbook", "li.vcf",
            std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:李四\r\nEMAIL:li@x.cn\r\nEND:VCARD\r\n"));
        writeBook(foxmail + "/Address", "book", {{{"li", "li@x.cn"}, "Emails: li@x.cn\r\n"}});
    }
};

TEST_F(ToolMail, SettingCertificatesShowsInTheListsOfBothClients) {
    struct Step {
        std::vector<std::string> run, list, row;
    } steps[] = {
        {{"set-sign-cert", "oe", "0", tMine}, {"accounts", "oe"}, {"0", "张三", "zhang@x.cn", tMine}},
        {{"set-contact-certs", "oe", "0", tLi2, tLi}, {"contacts", "oe"}, {"0", "李四", "li@x.cn", tLi2}},
        {{"set-contact-certs", "foxmail", "0", tLi, tLi2},
         {"contacts", "foxmail"},
         {"0", "li", "li@x.cn", tLi}},
    };
    for (const auto& s : steps) {
        std::vector<std::string> args{"mail"};
        args.insert(args.end(), s.run.begin(), s.run.end());
        const auto set = tool(args);
        EXPECT_EQ(set.status, 0) << s.run[0] << " " << set.err;
        const auto listed = tool({"mail", s.list[0], s.list[1]});
        EXPECT_EQ(listed.status, 0) << listed.err;
        EXPECT_EQ(toolRows(listed.out), std::vector<std::vector<std::string>>{s.row}) << s.list[1];
    }
}

TEST_F(ToolMail, BadArgumentsFailWithAReason) {
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"mail", "contacts", "mars"}, 2},
        {{"mail", "accounts"}, 2},
        {{"mail", "set-sign-cert", "oe", "5", "ab"}, 1},
        {{"mail", "set-sign-cert", "oe", "0", "ab cd"}, 1},
        {{"mail", "set-contact-certs", "foxmail", "0", "ab cd"}, 1},
        {{"mail", "set-contact-certs", "foxmail", "9", "ab cd"}, 1},
    };
    for (const auto& [args, status] : cases) {
        const auto r = tool(args);
        EXPECT_EQ(r.status, status) << args[1];
        EXPECT_FALSE(r.err.empty()) << args[1];
    }
}

TEST_F(ToolMail, BatchConfiguresContactsFromDirectoryHostB) {
    if (const std::string why = yxtest::SlapdFixture::unavailableReason(); !why.empty())
        GTEST_SKIP() << why;
    yxtest::SlapdFixture slapd;
    std::string error;
    ASSERT_TRUE(slapd.start({}, {{"李四", "li@x.cn", {li.der()}}}, error)) << error;
    yx::settings::WriteProfileString("Directory", "HostB", slapd.urlB());
    yxtest::writeFile(yx::paths::dataDir() + "/addressbook", "wang.vcf",
                      std::string("BEGIN:VCARD\nVERSION:3.0\nFN:王五\nEMAIL:wang@x.cn\nEND:VCARD\n"));
    const auto r = tool({"mail", "batch", "oe"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\n");
    EXPECT_NE(r.err.find("你共为1个联系人配置了加密证书"), std::string::npos);
    EXPECT_EQ(toolRows(tool({"mail", "contacts", "oe"}).out)[0][3], tLi);
    const auto again = tool({"mail", "batch", "foxmail", "--host",
                             "ldap://127.0.0.1:" + std::to_string(yxtest::closedPort()) + "/"});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("目录查询失败，批量配置失败！"), std::string::npos);
}

} // namespace
