// Search filters: the structure comes only from the builder, never from the user's text.
#include "LdapFilter.h"

#include <cctype>
#include <gtest/gtest.h>

using yx::directory::escapeFilterValue;
using yx::directory::userFilter;

TEST(LdapFilter, CriteriaMakeTheFilter) {
    EXPECT_EQ(userFilter("张三", ""), "(cn=张三)");
    EXPECT_EQ(userFilter("", "zhang@example.cn"), "(mail=zhang@example.cn)");
    EXPECT_EQ(userFilter("张三", "zhang@example.cn"), "(&(cn=张三)(mail=zhang@example.cn))");
    EXPECT_EQ(userFilter("", ""), "");
}

TEST(LdapFilter, SpecialCharactersAreEscaped) {
    EXPECT_EQ(escapeFilterValue("a*(b)\\c"), "a\\2a\\28b\\29\\5cc");
    EXPECT_EQ(escapeFilterValue("*"), "\\2a");
    EXPECT_EQ(escapeFilterValue(std::string("x\0y", 3)), "x\\00y");
    // A crafted name cannot widen or close the filter.
    EXPECT_EQ(userFilter("*)(mail=*", "a@b.cn"), "(&(cn=\\2a\\29\\28mail=\\2a)(mail=a@b.cn))");
    // Characters that are special elsewhere (DNs, URLs) are plain in a filter value.
    EXPECT_EQ(escapeFilterValue("O'Brien, Jr.+=<>#;\"/"), "O'Brien, Jr.+=<>#;\"/");
}

TEST(LdapFilter, Utf8IsKeptAndInvalidBytesEscaped) {
    EXPECT_EQ(escapeFilterValue("李四 Müller 😀"), "李四 Müller 😀");
    EXPECT_EQ(escapeFilterValue("\xff"), "\\ff");
    EXPECT_EQ(escapeFilterValue("ab\xe5\xbc"), "ab\\e5\\bc");             // cut-off sequence
    EXPECT_EQ(escapeFilterValue("\xc0\xaf"), "\\c0\\af");                 // overlong '/'
    EXPECT_EQ(escapeFilterValue("\xed\xa0\x80"), "\\ed\\a0\\80");         // surrogate
    EXPECT_EQ(escapeFilterValue("\xf4\x90\x80\x80"), "\\f4\\90\\80\\80"); // above U+10FFFF
    EXPECT_EQ(escapeFilterValue("\xe5\xbc\xa0\x80"), "张\\80");           // stray continuation byte
}

// Every single byte, alone and between letters: the result never holds a raw '*', '(' or ')',
// and every backslash starts a two-digit escape.
TEST(LdapFilter, NoByteSurvivesUnescapedWhenSpecial) {
    for (int b = 0; b < 256; ++b) {
        const std::string value = std::string("x") + static_cast<char>(b) + "y";
        const std::string out = escapeFilterValue(value);
        for (size_t i = 0; i < out.size(); ++i) {
            const char c = out[i];
            ASSERT_TRUE(c != '*' && c != '(' && c != ')' && c != '\0') << "byte " << b;
            if (c == '\\') {
                ASSERT_LE(i + 2, out.size() - 1) << "byte " << b;
                ASSERT_TRUE(std::isxdigit(static_cast<unsigned char>(out[i + 1])) &&
                            std::isxdigit(static_cast<unsigned char>(out[i + 2])))
                    << "byte " << b;
                i += 2;
            }
        }
        if (b >= 0x20 && b < 0x7f && b != '*' && b != '(' && b != ')' && b != '\\') {
            EXPECT_EQ(out, value) << "printable byte " << b << " must stay as it is";
        }
    }
}
