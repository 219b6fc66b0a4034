// The site texts' limit is counted as the registry stores them (GBK), so a long Chinese
// description is kept, and no site is ever written over by a later "add".
#include "RaSiteList.h"
#include "Registry.h"
#include "TestPki.h"

#include <gtest/gtest.h>

namespace {

std::string repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

class RaSiteStoredLengthTest : public ::testing::Test {
protected:
    yxtest::ScopedDataRoot root;
};

} // namespace

TEST_F(RaSiteStoredLengthTest, TextsFitByTheirGbkLength) {
    struct Case {
        std::string text;
        bool fits;
    };
    const Case cases[] = {
        {repeat("蓝", 127), true},  // 254 bytes in GBK (381 in UTF-8)
        {repeat("蓝", 128), false}, // 256 bytes
        {repeat("a", 255), true},   {repeat("a", 256), false}, {repeat("蓝", 127) + "a", true}, // exactly 255
    };
    for (const Case& c : cases)
        EXPECT_EQ(CRaSiteList::Fits(c.text), c.fits) << CRaSiteList::StoredLength(c.text);
}

TEST_F(RaSiteStoredLengthTest, ALongChineseDescriptionSurvivesSaveLoadAndAFollowingAdd) {
    const std::string description = repeat("岚川数字证书注册服务", 9); // 90 characters
    {
        CRaSiteList list;
        list.Add("https://ra.example.cn/", description);
        list.Save();
    }
    CRaSiteList loaded;
    ASSERT_EQ(loaded.GetCount(), 1);
    EXPECT_EQ(loaded.GetDescription(0), description);
    loaded.Add("https://second.example.cn/", "第二");
    EXPECT_NE(loaded.GetKey(1), loaded.GetKey(0));
    loaded.Save();

    CRaSiteList again;
    ASSERT_EQ(again.GetCount(), 2);
    EXPECT_EQ(again.GetURL(0), "https://ra.example.cn/");
    EXPECT_EQ(again.GetDescription(0), description);
    EXPECT_EQ(again.GetDescription(1), "第二");
}
