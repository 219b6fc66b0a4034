#include "Settings.h"
#include "RaSiteList.h"
#include "Registry.h"
#include "SafeFile.h"
#include "TestPki.h"

#include <gtest/gtest.h>

namespace reg = yx::reg;
namespace settings = yx::settings;

namespace {

const std::string kRoot = "Software\\KavexCorp\\岚川数字钥匣";

class SettingsTest : public ::testing::Test {
protected:
    void TearDown() override {
        settings::SetRegistryKey("KavexCorp\\");
        settings::SetProfileName("岚川数字钥匣");
    }
    yxtest::ScopedDataRoot root;
};

} // namespace

TEST_F(SettingsTest, FirstStartWithAnEmptyRegistryGivesTheDefaults) {
    // No start-up call was made: the built-in names give the product key.
    EXPECT_EQ(settings::profileRoot(), kRoot);
    EXPECT_FALSE(settings::onlineCrlCheck());
    EXPECT_FALSE(settings::startUpCheckNew());
    EXPECT_EQ(settings::defaultEncCertHash(), "");
    EXPECT_EQ(settings::defaultRaSiteKey(), "");
    EXPECT_EQ(settings::GetProfileString("Common", "SartOnlineCRLCheck", "0"), "0");
    EXPECT_EQ(settings::GetProfileString("Nowhere", "Nothing", "fallback"), "fallback");
    CRaSiteList sites;
    EXPECT_EQ(sites.GetCount(), 0);
    EXPECT_EQ(sites.GetDefaultKey(), "");
    // Reading creates nothing.
    EXPECT_FALSE(yx::fileExists(reg::hiveFilePath(reg::Hive::CurrentUser)));
}

TEST_F(SettingsTest, OnlyTheValueOneSwitchesOn) {
    ASSERT_TRUE(settings::WriteProfileString("Common", "SartOnlineCRLCheck", "2"));
    EXPECT_FALSE(settings::onlineCrlCheck()); // "2" behaves as "0"
    ASSERT_TRUE(settings::WriteProfileString("Common", "SartOnlineCRLCheck", "0"));
    EXPECT_FALSE(settings::onlineCrlCheck());
    ASSERT_TRUE(settings::WriteProfileString("UpdateConfig", "StartUpCheckNew", ""));
    EXPECT_FALSE(settings::startUpCheckNew());

    for (const char* on : {"1", " 1", "01", "+1", "1abc", "1.9"})
        EXPECT_TRUE(settings::isOn(on)) << on;
    for (const char* off : {"", "0", "2", "11", "-1", "x1", "one", "4294967297", "99999999999999999999999"})
        EXPECT_FALSE(settings::isOn(off)) << off;
}
