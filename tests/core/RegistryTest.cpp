#include "Registry.h"
#include "RegistryFile.h"
#include "TestPki.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

using yx::reg::Hive;
using yx::reg::RegistryFile;
namespace reg = yx::reg;

namespace {

constexpr Hive kCU = Hive::CurrentUser;

std::string hiveText() {
    const auto bytes = yxtest::readFile(reg::hiveFilePath(kCU));
    return std::string(bytes.begin(), bytes.end());
}

void writeHive(const std::string& text) {
    ::mkdir((std::string(std::getenv("YAOXIA_HOME")) + "/config").c_str(), 0700);
    std::ofstream(reg::hiveFilePath(kCU), std::ios::binary) << text;
}

// Position of `needle` in `hay`, failing the test when it is missing.
size_t posOf(const std::string& hay, const std::string& needle) {
    const size_t p = hay.find(needle);
    EXPECT_NE(p, std::string::npos) << "missing: " << needle << "\nin:\n" << hay;
    return p;
}

class RegistryTest : public ::testing::Test {
protected:
    yxtest::ScopedDataRoot root;
};

} // namespace

TEST_F(RegistryTest, EnumerationIsSortedLikeWindowsWithoutCase) {
    for (const char* k : {"b", "_x", "C", "a1", "A", "钥匣", "Z"})
        ASSERT_TRUE(reg::createKey(kCU, std::string("Root\\") + k));
    // Upper-case folding puts "_" (0x5F) behind the letters; non-ASCII after ASCII.
    EXPECT_EQ(reg::subkeys(kCU, "Root"), (std::vector<std::string>{"A", "a1", "b", "C", "Z", "_x", "钥匣"}));
    for (const char* v : {"beta", "Alpha", "_u", "alpha2", "Gamma"})
        ASSERT_TRUE(reg::writeString(kCU, "Root", v, v));
    EXPECT_EQ(reg::valueNames(kCU, "Root"),
              (std::vector<std::string>{"Alpha", "alpha2", "beta", "Gamma", "_u"}));
    EXPECT_TRUE(reg::subkeys(kCU, "Root\\A").empty());
    EXPECT_TRUE(reg::subkeys(kCU, "Missing").empty());
    EXPECT_TRUE(reg::valueNames(kCU, "Missing").empty());
}

TEST_F(RegistryTest, SpecialCharactersAreEscapedAndCannotForgeKeys) {
    const std::string path = "C:\\dir\\\"quoted\".txt";
    const std::string forged = "x\"\n[Injected]\n\"y\"=\"z";
    const std::string controls = std::string("a\tb\rc\x01") + '\0' + "d\x7f";
    ASSERT_TRUE(reg::writeString(kCU, "K", "path", path));
    ASSERT_TRUE(reg::writeString(kCU, "K", forged, forged));
    ASSERT_TRUE(reg::writeString(kCU, "K", "ctl", controls));
    EXPECT_EQ(reg::readString(kCU, "K", "path"), path);
    EXPECT_EQ(reg::readString(kCU, "K", forged), forged);
    EXPECT_EQ(reg::readString(kCU, "K", "ctl"), controls);
    EXPECT_EQ(reg::subkeys(kCU, ""), std::vector<std::string>{"K"});
    const std::string text = hiveText();
    posOf(text, "\"path\"=\"C:\\\\dir\\\\\\\"quoted\\\".txt\"\n");
    posOf(text, "\"ctl\"=\"a\\tb\\rc\\x01\\x00d\\x7F\"\n");
    // Key names cannot hold line breaks or other control bytes.
    EXPECT_FALSE(reg::createKey(kCU, "K\\bad\nname"));
    EXPECT_FALSE(reg::writeString(kCU, "K\\bad\x01", "v", "1"));
    EXPECT_EQ(reg::subkeys(kCU, "K"), std::vector<std::string>{});
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceBothLand) {
    constexpr int kWrites = 25;
    ASSERT_TRUE(yxtest::inChildProcesses(2, [](int k) {
        bool ok = true;
        for (int i = 0; i < kWrites; ++i) {
            const std::string n = std::to_string(i);
            ok = reg::writeString(kCU, "Shared", "p" + std::to_string(k) + "_" + n, n) && ok;
            ok = reg::writeString(kCU, "Own" + std::to_string(k), "v" + n, n) && ok;
        }
        return ok;
    }));
    EXPECT_EQ(reg::valueNames(kCU, "Shared").size(), 2u * kWrites);
    for (int k = 0; k < 2; ++k)
        for (int i = 0; i < kWrites; ++i) {
            const std::string n = std::to_string(i);
            EXPECT_EQ(reg::readString(kCU, "Shared", "p" + std::to_string(k) + "_" + n), n);
            EXPECT_EQ(reg::readString(kCU, "Own" + std::to_string(k), "v" + n), n);
        }
}

TEST_F(RegistryTest, DamagedFileIsReadAroundAndItsLinesSurviveAWrite) {
    const std::string text = "REGEDIT4\n"
                             "garbage before any key\n"
                             "[Good]\r\n"
                             "\"a\"=\"1\"\r\n"
                             "\"n\"=dword:00000001\n"
                             "\"unterminated\"=\"abc\n"
                             "\"bad\"=\"\\q\"\n"
                             "[Broken\n"
                             "\"hidden\"=\"2\"\n"
                             "[Good\\Sub]\n"
                             "\"b\"=\"3\"\n"
                             "\x01\x02\xff binary\n";
    writeHive(text);
    EXPECT_EQ(reg::readString(kCU, "Good", "a"), "1");
    EXPECT_EQ(reg::readString(kCU, "Good\\Sub", "b"), "3");
    EXPECT_EQ(reg::valueNames(kCU, "Good"), std::vector<std::string>{"a"});
    // Lines behind a damaged section line belong to no key, in particular not to the one before.
    EXPECT_EQ(reg::readString(kCU, "Good", "hidden"), std::nullopt);
    EXPECT_EQ(reg::subkeys(kCU, ""), std::vector<std::string>{"Good"});

    ASSERT_TRUE(reg::writeString(kCU, "Good", "c", "4"));
    ASSERT_TRUE(reg::writeString(kCU, "New", "d", "5"));
    const std::string after = hiveText();
    EXPECT_EQ(after.rfind(RegistryFile::kHeader, 0), 0u);
    size_t last = 0;
    for (const char* line :
         {"garbage before any key\n", "[Good]\n", "\"a\"=\"1\"\n", "\"n\"=dword:00000001\n",
          "\"unterminated\"=\"abc\n", "\"bad\"=\"\\q\"\n", "\"c\"=\"4\"\n", "[Broken\n", "\"hidden\"=\"2\"\n",
          "[Good\\Sub]\n", "\"b\"=\"3\"\n", "\x01\x02\xff binary\n", "[New]\n", "\"d\"=\"5\"\n"}) {
        const size_t p = posOf(after, line);
        EXPECT_GE(p, last) << "out of place: " << line;
        last = p;
    }
    EXPECT_EQ(reg::readString(kCU, "Good", "a"), "1");
    EXPECT_EQ(reg::readString(kCU, "Good", "c"), "4");
}

TEST_F(RegistryTest, AHiveThatCannotBeReadIsNeverReplaced) {
    ::mkdir((std::string(std::getenv("YAOXIA_HOME")) + "/config").c_str(), 0700);
    ASSERT_EQ(::mkdir(reg::hiveFilePath(kCU).c_str(), 0700), 0); // a folder where the file should be
    EXPECT_FALSE(reg::writeString(kCU, "K", "v", "1"));
    EXPECT_EQ(reg::readString(kCU, "K", "v"), std::nullopt);
    struct stat st {};
    ASSERT_EQ(::stat(reg::hiveFilePath(kCU).c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST_F(RegistryTest, DeleteKeyTakesItsSubkeysButNotItsNamesakes) {
    ASSERT_TRUE(reg::writeString(kCU, "S\\A", "v", "1"));
    ASSERT_TRUE(reg::writeString(kCU, "S\\A\\B", "v", "2"));
    ASSERT_TRUE(reg::writeString(kCU, "S\\A\\B\\C", "v", "3"));
    ASSERT_TRUE(reg::writeString(kCU, "S\\AB", "v", "4"));
    ASSERT_TRUE(reg::writeString(kCU, "S", "keep", "5"));

    EXPECT_TRUE(reg::deleteKey(kCU, "s\\a"));
    EXPECT_FALSE(reg::keyExists(kCU, "S\\A"));
    EXPECT_FALSE(reg::keyExists(kCU, "S\\A\\B\\C"));
    EXPECT_EQ(reg::readString(kCU, "S\\A\\B", "v"), std::nullopt);
    EXPECT_EQ(reg::readString(kCU, "S\\AB", "v"), "4");
    EXPECT_EQ(reg::readString(kCU, "S", "keep"), "5");
    EXPECT_EQ(reg::subkeys(kCU, "S"), std::vector<std::string>{"AB"});
    EXPECT_FALSE(reg::deleteKey(kCU, "S\\A")); // already gone
    EXPECT_FALSE(reg::deleteKey(kCU, ""));     // the hive root stays

    EXPECT_TRUE(reg::deleteValue(kCU, "S", "KEEP"));
    EXPECT_FALSE(reg::deleteValue(kCU, "S", "keep"));
    EXPECT_TRUE(reg::keyExists(kCU, "S")); // an empty key remains a key
    EXPECT_FALSE(reg::deleteValue(kCU, "Missing", "v"));
    EXPECT_EQ(hiveText().find("\"v\"=\"2\""), std::string::npos);
}
