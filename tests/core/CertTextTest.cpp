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

TEST(NameText, KeepsCertificateOrderWithWindowsShortNames) {
    EXPECT_EQ(nameText({{"C", "CN"}, {"O", "岚川测试"}, {"CN", "张三"}, {"emailAddress", "a@b.c"}}),
              "C=CN, O=岚川测试, CN=张三, E=a@b.c");
    EXPECT_EQ(nameText({{"CN", "x"}, {"C", "CN"}}), "CN=x, C=CN");
    EXPECT_EQ(nameText({{"L", "1"},
                        {"OU", "2"},
                        {"ST", "3"},
                        {"street", "4"},
                        {"title", "5"},
                        {"GN", "6"},
                        {"initials", "7"},
                        {"SN", "8"},
                        {"DC", "9"}}),
              "L=1, OU=2, S=3, STREET=4, T=5, G=6, I=7, SN=8, DC=9");
    EXPECT_EQ(nameText({}), "");
}

TEST(NameText, OtherAttributesShowTheirDottedOid) {
    EXPECT_EQ(nameText({{"1.2.3.4", "v"}, {"serialNumber", "42"}}), "OID.1.2.3.4=v, OID.2.5.4.5=42");
}

TEST(NameText, MultiValuedRelativeNamesJoinWithPlus) {
    EXPECT_EQ(nameText({{"O", "a"}, {"CN", "b"}, {"OU", "c", true}}), "O=a, CN=b + OU=c");
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

TEST(NameText, ConvertsBmpStringsToUtf8) {
    yx::X509NamePtr name(X509_NAME_new());
    const unsigned char ucs2[] = {0x5f, 0x20, 0x4e, 0x09}; // 张三
    ASSERT_EQ(X509_NAME_add_entry_by_NID(name.get(), NID_commonName, V_ASN1_BMPSTRING, ucs2, 4, -1, 0), 1);
    EXPECT_EQ(yx::x500NameText(name.get()), "CN=张三");
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

TEST(LocalTimeText, IsFixedWidthSoTextOrderIsTimeOrder) {
    struct tm t {};
    t.tm_year = 108;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 17;
    t.tm_min = 4;
    t.tm_sec = 9;
    EXPECT_EQ(yx::localTimeText(t), "2008-03-05 17:04:09");
    struct tm later = t;
    later.tm_hour = 9;
    later.tm_mday = 12;
    EXPECT_LT(yx::localTimeText(t), yx::localTimeText(later));
}
