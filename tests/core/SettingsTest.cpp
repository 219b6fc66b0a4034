#include "Settings.h"
#include "RaSiteList.h"
#include "Registry.h"
#include "SafeFile.h"
#include "TestPki.h"

#include <gtest/gtest.h>

namespace reg = yx::reg;
namespace settings = yx::settings;

TEST(SettingsTest, FirstStartReadsDefaultsAndCreatesNothing) {
    yxtest::ScopedDataRoot root;
    // Without the GUI's start-up call (the tool) the settings live under the same key.
    EXPECT_EQ(settings::profileRoot(), "Software\\KavexCorp\\岚川数字钥匣");
    EXPECT_FALSE(settings::onlineCrlCheck());
    EXPECT_EQ(settings::GetProfileString("Nowhere", "Nothing", "fallback"), "fallback");
    CRaSiteList sites;
    EXPECT_EQ(sites.GetCount(), 0);
    EXPECT_FALSE(yx::fileExists(reg::hiveFilePath(reg::Hive::CurrentUser)));
}

TEST(SettingsTest, OnlyTheValueOneSwitchesOn) {
    yxtest::ScopedDataRoot root;
    ASSERT_TRUE(settings::WriteProfileString("Common", "SartOnlineCRLCheck", "2"));
    EXPECT_FALSE(settings::onlineCrlCheck()); // "2" behaves as "0"
    for (const char* on : {"1", " 1", "01", "+1", "1abc", "1.9"})
        EXPECT_TRUE(settings::isOn(on)) << on;
    for (const char* off : {"", "0", "2", "11", "-1", "x1", "one", "4294967297", "99999999999999999999999"})
        EXPECT_FALSE(settings::isOn(off)) << off;
}
