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

TEST_F(SettingsTest, StartUpNamesBuildTheProductKey) {
    settings::SetRegistryKey("KavexCorp\\");
    settings::SetProfileName("岚川数字钥匣");
    EXPECT_EQ(settings::profileRoot(), kRoot);
    settings::SetRegistryKey("OtherCorp\\");
    EXPECT_EQ(settings::profileRoot(), "Software\\OtherCorp\\岚川数字钥匣");
    ASSERT_TRUE(settings::WriteProfileString("Common", "SartOnlineCRLCheck", "1"));
    EXPECT_EQ(reg::readString(reg::Hive::CurrentUser, "Software\\OtherCorp\\岚川数字钥匣\\Common",
                              "SartOnlineCRLCheck"),
              "1");
    EXPECT_EQ(reg::readString(reg::Hive::CurrentUser, kRoot + "\\Common", "SartOnlineCRLCheck"),
              std::nullopt);
}

TEST_F(SettingsTest, NamedSettingsLiveUnderTheirFixedNames) {
    ASSERT_TRUE(settings::WriteProfileString("Common", "SartOnlineCRLCheck", "1"));
    ASSERT_TRUE(settings::WriteProfileString("UpdateConfig", "StartUpCheckNew", "1"));
    ASSERT_TRUE(settings::WriteProfileString("DefaultEncCert", "CertHash", "ab cd ef"));
    ASSERT_TRUE(settings::WriteProfileString("ServiceURL", "Default", "00000002"));
    EXPECT_TRUE(settings::onlineCrlCheck());
    EXPECT_TRUE(settings::startUpCheckNew());
    EXPECT_EQ(settings::defaultEncCertHash(), "ab cd ef");
    EXPECT_EQ(settings::defaultRaSiteKey(), "00000002");

    const auto at = [](const std::string& section, const std::string& entry) {
        return reg::readString(reg::Hive::CurrentUser, kRoot + "\\" + section, entry);
    };
    EXPECT_EQ(at("Common", "SartOnlineCRLCheck"), "1"); // spelled so
    EXPECT_EQ(at("Common", "StartOnlineCRLCheck"), std::nullopt);
    EXPECT_EQ(at("UpdateConfig", "StartUpCheckNew"), "1");
    EXPECT_EQ(at("DefaultEncCert", "CertHash"), "ab cd ef");
    EXPECT_EQ(at("ServiceURL", "Default"), "00000002");
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

TEST_F(SettingsTest, SectionsWithBackslashesNameDeeperSubkeys) {
    ASSERT_TRUE(settings::WriteProfileString("ServiceURL\\00000003", "Value", "https://ra.example/"));
    ASSERT_TRUE(settings::WriteProfileString("UpdateConfig\\", "StartUpCheckNew", "1"));
    EXPECT_EQ(settings::GetProfileString("ServiceURL\\00000003", "Value"), "https://ra.example/");
    EXPECT_EQ(settings::GetProfileString("serviceurl\\00000003", "VALUE"), "https://ra.example/");
    EXPECT_EQ(reg::subkeys(reg::Hive::CurrentUser, kRoot + "\\ServiceURL"),
              std::vector<std::string>{"00000003"});
    EXPECT_EQ(reg::readString(reg::Hive::CurrentUser, kRoot + "\\ServiceURL\\00000003", "Value"),
              "https://ra.example/");
    EXPECT_TRUE(settings::startUpCheckNew()); // "UpdateConfig\" is the same key as "UpdateConfig"
    EXPECT_EQ(reg::subkeys(reg::Hive::CurrentUser, kRoot),
              (std::vector<std::string>{"ServiceURL", "UpdateConfig"}));
}
