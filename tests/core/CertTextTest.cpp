#include "CertText.h"
#include "OpenSslHolders.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string serial(std::vector<unsigned char> bytes) {
    return yx::serialNumberText(bytes.data(), bytes.size());
}

// The text of a name with one CN of `value`.
std::string cnText(const std::string& value) {
    yx::X509NamePtr name(X509_NAME_new());
    EXPECT_EQ(X509_NAME_add_entry_by_txt(name.get(), "CN", MBSTRING_UTF8,
                                         reinterpret_cast<const unsigned char*>(value.data()),
                                         static_cast<int>(value.size()), -1, 0),
              1);
    return yx::x500NameText(name.get());
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
        EXPECT_EQ(cnText(value), "CN=" + shown) << value;
}

TEST(CutUtf8, NeverSplitsACharacter) {
    const struct {
        std::string text;
        size_t max;
        std::string kept;
    } cases[] = {{"ab中", 5, "ab中"},
                 {"ab中", 4, "ab"},
                 {"ab中", 3, "ab"},
                 {"abc", 2, "ab"}, // 中: 3 bytes
                 {std::string(2000, 'x'), 1023, std::string(1023, 'x')}};
    for (auto c : cases) {
        yx::cutUtf8(c.text, c.max);
        EXPECT_EQ(c.text, c.kept) << c.max;
    }
}
