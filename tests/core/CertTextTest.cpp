#include "CertText.h"
#include "OpenSslHolders.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string serial(std::vector<unsigned char> bytes) {
    return yx::serialNumberText(bytes.data(), bytes.size());
}

struct Entry {
    const char* field;
    std::string value;
    bool joinPrevious = false;
};

yx::X509NamePtr makeName(const std::vector<Entry>& entries) {
    yx::X509NamePtr name(X509_NAME_new());
    for (const auto& e : entries)
        EXPECT_EQ(X509_NAME_add_entry_by_txt(name.get(), e.field, MBSTRING_UTF8,
                                             reinterpret_cast<const unsigned char*>(e.value.data()),
                                             static_cast<int>(e.value.size()), -1, e.joinPrevious ? -1 : 0),
                  1)
            << e.field;
    return name;
}

std::string nameText(const std::vector<Entry>& entries) {
    return yx::x500NameText(makeName(entries).get());
}

} // namespace

TEST(SerialText, DropsRedundantSignBytesAndKeepsLeadingZeros) {
    EXPECT_EQ(serial({0x00, 0x9f, 0x3c}), "009f3c");
    EXPECT_EQ(serial({0xff, 0x85, 0x12}), "8512");
    EXPECT_EQ(serial({0xff, 0x12}), "ff12");
    EXPECT_EQ(serial({0xff}), "ff");
    EXPECT_EQ(serial({0xff, 0xff, 0x85}), "85"); // each redundant byte goes
    EXPECT_EQ(serial({0xff, 0xff}), "ff");       // the last byte always stays
    EXPECT_EQ(serial({0x00, 0x00, 0x01}), "000001");
    EXPECT_EQ(serial({0x00, 0xff, 0x85}), "00ff85"); // only a leading 0xFF is a sign byte
    EXPECT_EQ(serial({0x12, 0xab}), "12ab");
    EXPECT_EQ(serial({}), "");
}

TEST(NameText, QuotesValuesWithSpecialCharactersOrOuterBlanks) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "plain"},
        {"中文 名字", "中文 名字"},
        {"a,b", "\"a,b\""},
        {"a+b", "\"a+b\""},
        {"a=b", "\"a=b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"<x>", "\"<x>\""},
        {"#1", "\"#1\""},
        {"a;b", "\"a;b\""},
        {" lead", "\" lead\""},
        {"trail ", "\"trail \""},
        {"in side", "in side"},
    };
    for (const auto& [value, shown] : cases)
        EXPECT_EQ(nameText({{"CN", value}}), "CN=" + shown) << value;
}

TEST(CutUtf8, NeverSplitsACharacter) {
    std::string s = "ab中"; // 2 + 3 bytes
    yx::cutUtf8(s, 5);
    EXPECT_EQ(s, "ab中");
    s = "ab中";
    yx::cutUtf8(s, 4);
    EXPECT_EQ(s, "ab");
    s = "ab中";
    yx::cutUtf8(s, 3);
    EXPECT_EQ(s, "ab");
    s = "abc";
    yx::cutUtf8(s, 2);
    EXPECT_EQ(s, "ab");
    s = std::string(2000, 'x');
    yx::cutUtf8(s, 1023);
    EXPECT_EQ(s.size(), 1023u);
}
