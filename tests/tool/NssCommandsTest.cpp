// yaoxia-tool nss, run as the real executable with a home folder holding a Firefox profile.
#include "../nss/NssTestDb.h"
#include "TestPki.h"
#include "ToolRunner.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace yxtest;

namespace {

TEST(NssCommandsTest, ListPublishWhereWithdraw_ExitCodes) {
    ScopedDataRoot root;
    ScopedHome home;
    TempDir files;
    TestCa ca;
    const std::string profile = home.file(".mozilla/firefox/ab.default");
    std::filesystem::create_directories(profile);
    ASSERT_EQ(runCommand({"certutil", "-N", "-d", "sql:" + profile, "--empty-password"}), 0);
    writeFile(home.file(".mozilla/firefox"), "profiles.ini",
              "[Profile0]\nName=default\nIsRelative=1\nPath=ab.default\n");
    NssTestDb locked(std::string("pw"));
    ASSERT_EQ(tool({"import-cert", "other", writeFile(files.path(), "p.cer", ca.issue({.cn = "李娜"}).der())})
                  .status,
              0);

    const auto listed = toolRows(tool({"nss", "list"}).out);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0], (std::vector<std::string>{"Firefox", "default", profile, "sql"}));

    expectRuns({
        {{"nss", "publish", "other", "0", profile}, 0},
        {{"nss", "publish", "other", "0", locked.path()}, 35},
        {{"nss", "publish", "other", "0", locked.path(), "--password", "pass:nope"}, 7},
        {{"nss", "publish", "other", "7", profile}, 1},
        {{"nss", "publish", "other", "0"}, 2},
        {{"nss", "publish", "mine", "0", profile}, 2},
        {{"nss", "frob"}, 2},
    });
    EXPECT_TRUE(locked.certs().empty());
    const auto where = toolRows(tool({"nss", "where", "other", "0"}).out);
    ASSERT_EQ(where.size(), 1u);
    EXPECT_EQ(where[0][0], "published");
    EXPECT_EQ(where[0][3], profile);

    EXPECT_EQ(tool({"nss", "withdraw", "other", "0", profile}).status, 0);
    EXPECT_TRUE(toolRows(tool({"nss", "where", "other", "0"}).out).empty());
}

} // namespace
