#include "RaSiteList.h"
#include "Registry.h"
#include "TestPki.h"

#include <gtest/gtest.h>

namespace reg = yx::reg;

namespace {

const std::string kServiceUrl = "Software\\KavexCorp\\岚川数字钥匣\\ServiceURL";

void putSite(const std::string& key, const std::string& url, const std::string& description) {
    ASSERT_TRUE(reg::writeString(reg::Hive::CurrentUser, kServiceUrl + "\\" + key, "Value", url));
    ASSERT_TRUE(
        reg::writeString(reg::Hive::CurrentUser, kServiceUrl + "\\" + key, "Description", description));
}

std::vector<std::string> keysOf(const CRaSiteList& l) {
    std::vector<std::string> out;
    for (int i = 0; i < l.GetCount(); ++i)
        out.push_back(l.GetKey(i));
    return out;
}

class RaSiteListTest : public ::testing::Test {
protected:
    yxtest::ScopedDataRoot root;
};

} // namespace

TEST_F(RaSiteListTest, AddTakesTheFirstFreeKey) {
    putSite("00000000", "https://a/", "A");
    putSite("00000002", "https://c/", "C");
    CRaSiteList l;
    std::string longChinese; // 90 characters: 180 bytes in GBK, 270 in UTF-8
    for (int i = 0; i < 9; ++i)
        longChinese += "岚川数字证书注册服务";
    l.Add("https://b/", longChinese);
    EXPECT_EQ(l.GetKey(2), "00000001");
    l.Add("https://d/", "D");
    EXPECT_EQ(l.GetKey(3), "00000003");
    EXPECT_EQ(l.GetURL(3), "https://d/");
    EXPECT_EQ(l.GetDescription(3), "D");
    // Nothing is written before Save.
    EXPECT_FALSE(reg::keyExists(reg::Hive::CurrentUser, kServiceUrl + "\\00000001"));
    l.Save();
    CRaSiteList again;
    EXPECT_EQ(keysOf(again), (std::vector<std::string>{"00000000", "00000001", "00000002", "00000003"}));
    EXPECT_EQ(again.GetURL(1), "https://b/");
    EXPECT_EQ(again.GetDescription(1), longChinese);
}

// The texts' limit is counted as the registry stores them (GBK).
TEST_F(RaSiteListTest, TextsFitByTheirGbkLength) {
    const auto times = [](const std::string& piece, int n) {
        std::string out;
        while (n-- > 0)
            out += piece;
        return out;
    };
    EXPECT_TRUE(CRaSiteList::Fits(times("蓝", 127)));  // 254 bytes in GBK (381 in UTF-8)
    EXPECT_FALSE(CRaSiteList::Fits(times("蓝", 128))); // 256 bytes
    EXPECT_TRUE(CRaSiteList::Fits(times("a", 255)));
    EXPECT_FALSE(CRaSiteList::Fits(times("a", 256)));
    EXPECT_TRUE(CRaSiteList::Fits(times("蓝", 127) + "a")); // exactly 255
}

TEST_F(RaSiteListTest, ModifyKeepsTheKey) {
    putSite("00000005", "https://old/", "旧");
    CRaSiteList l;
    l.Modify(0, "https://new/", "新");
    l.Modify(1, "https://ignored/", "x"); // outside the list
    l.Modify(-1, "https://ignored/", "x");
    EXPECT_EQ(l.GetCount(), 1);
    EXPECT_EQ(l.GetKey(0), "00000005");
    l.Save();
    CRaSiteList again;
    ASSERT_EQ(again.GetCount(), 1);
    EXPECT_EQ(again.GetKey(0), "00000005");
    EXPECT_EQ(again.GetURL(0), "https://new/");
    EXPECT_EQ(again.GetDescription(0), "新");
}

TEST_F(RaSiteListTest, IncompleteSitesAreLeftOutAsAWholeAndTheListsStayParallel) {
    putSite("00000000", "https://ok/", "ok");
    ASSERT_TRUE(
        reg::writeString(reg::Hive::CurrentUser, kServiceUrl + "\\00000001", "Value", "https://nodesc/"));
    ASSERT_TRUE(
        reg::writeString(reg::Hive::CurrentUser, kServiceUrl + "\\00000002", "Description", "no url"));
    putSite("00000003", std::string(255, 'u'), "longest that fits");
    putSite("00000004", std::string(256, 'u'), "too long");
    putSite("00000005", "https://x/", std::string(256, 'd'));
    putSite("00000006", "https://last/", "last");
    CRaSiteList l;
    EXPECT_EQ(keysOf(l), (std::vector<std::string>{"00000000", "00000003", "00000006"}));
    EXPECT_EQ(l.GetURL(1), std::string(255, 'u'));
    EXPECT_EQ(l.GetDescription(2), "last");
    EXPECT_EQ(l.GetURL(2), "https://last/");
    // The key of an incomplete site stays taken: saving a new site never writes over it.
    l.Add("https://fresh/", "fresh");
    EXPECT_EQ(l.GetKey(3), "00000007");
    l.Save();
    CRaSiteList again;
    EXPECT_EQ(keysOf(again), (std::vector<std::string>{"00000000", "00000003", "00000006", "00000007"}));
    EXPECT_EQ(again.GetDescription(3), "fresh");
}
