// The two directory hosts come from the settings, with the documented defaults.
#include "DirectorySettings.h"
#include "Settings.h"
#include "TestPki.h"

#include <gtest/gtest.h>

using namespace yx::directory;

TEST(DirectorySettings, DefaultsUntilSetThenTheSettings) {
    yxtest::ScopedDataRoot root;
    EXPECT_EQ(hostA(), "ldap://ldap.kavexca.cn:389/");
    EXPECT_EQ(hostB(), "ldap://dir.kavexca.cn:389/");
    EXPECT_NE(hostA(), hostB());

    ASSERT_TRUE(yx::settings::WriteProfileString("Directory", "HostA", "ldaps://a.example.cn:636/o=CA"));
    EXPECT_EQ(hostA(), "ldaps://a.example.cn:636/o=CA");
    EXPECT_EQ(hostB(), kDefaultHostB) << "host B keeps its default";
    ASSERT_TRUE(yx::settings::WriteProfileString("Directory", "HostB", "ldap://b.example.cn/"));
    EXPECT_EQ(hostB(), "ldap://b.example.cn/");
}
