// Reading Thunderbird's prefs.js: the identities with their certificates, and statements of
// unusual syntax skipped without losing the rest.
#include "PrefsJs.h"

#include <gtest/gtest.h>

using namespace yx::nss;

namespace {

TEST(PrefsJsTest, TwoIdentitiesWithCertificates) {
    const char* text =
        "// Mozilla User Preferences\n"
        "/* a comment with user_pref(\"x\", 1); inside */\n"
        "user_pref(\"mail.identity.id1.useremail\", \"zhang@example.cn\");\n"
        "user_pref(\"mail.identity.id1.fullName\", \"\\u5F20\\u4F1F\");\n"
        "user_pref(\"mail.identity.id1.signing_cert_name\", \"张伟的\\\"证书\\\"\");\n"
        "user_pref(\"mail.identity.id1.encryption_cert_name\", '张伟（加密）');\n"
        "user_pref(\"mail.identity.id2.useremail\",\"li@example.cn\");user_pref(\"mail.identity."
        "id2.sign_mail\", true);\n"
        "user_pref(\"mail.identity.id3.fullName\", \"no address\");\n";
    const auto ids = mailIdentities(parsePrefsJs(text));
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(ids[0].email, "zhang@example.cn");
    EXPECT_EQ(ids[0].fullName, "张伟");
    EXPECT_EQ(ids[0].signingCert, "张伟的\"证书\"");
    EXPECT_EQ(ids[0].encryptionCert, "张伟（加密）");
    EXPECT_EQ(ids[1].email, "li@example.cn");
    EXPECT_TRUE(ids[1].signingCert.empty());
}

TEST(PrefsJsTest, UnusualStatements_SkippedAndCounted) {
    struct Case {
        const char* name;
        std::string text;
        size_t values;
        int skipped;
    };
    const Case cases[] = {
        {"unknown function", "lockPref(\"a\", 1);\nuser_pref(\"b\", 2);", 1, 1},
        {"unterminated string", "user_pref(\"a\", \"open);\nuser_pref(\"b\", 2);", 0, 1},
        {"missing semicolon at the end", "user_pref(\"a\", 1);\nuser_pref(\"b\", 2)", 1, 1},
        {"lone surrogate", "user_pref(\"a\", \"\\uD800\");user_pref(\"b\", false);", 1, 1},
        {"garbage", "\x01\x02;;user_pref(\"b\", -5);", 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Prefs p = parsePrefsJs(c.text);
        EXPECT_EQ(p.values.size(), c.values);
        EXPECT_EQ(p.skipped, c.skipped);
    }
}

} // namespace
