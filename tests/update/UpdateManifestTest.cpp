// Reading the update manifest and comparing versions.
#include "UpdateManifest.h"

#include <gtest/gtest.h>

using namespace yx::update;

namespace {

const std::string kSha(64, 'a');
const std::string kGood =
    "YAOXIA-UPDATE 1\r\n# comment\n\nversion=1.2.3\nurl=https://dl.example/a/yaoxia.tar.gz\n"
    "size=10\nsha256=" +
    std::string(64, 'A') + "\nnotes=一\nfuture=ignored\nnotes=二";

} // namespace

TEST(UpdateManifestTest, CompleteManifestIsRead) {
    const auto m = parseManifest(kGood);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->version, "1.2.3");
    EXPECT_EQ(m->url, "https://dl.example/a/yaoxia.tar.gz");
    EXPECT_EQ(m->size, 10u);
    EXPECT_EQ(m->sha256, kSha); // upper-case digits are taken as lower case
    EXPECT_EQ(m->notes, "一\n二");
}

TEST(UpdateManifestTest, IncompleteOrMalformedManifestsAreRefused) {
    const std::string body = "version=1.0\nurl=https://h/f\nsize=1\nsha256=" + kSha + "\n";
    const struct {
        const char* why;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"no marker", body},
        {"other marker", "YAOXIA-UPDATE 2\n" + body},
        {"missing size", "YAOXIA-UPDATE 1\nversion=1.0\nurl=https://h/f\nsha256=" + kSha},
        {"version twice", "YAOXIA-UPDATE 1\n" + body + "version=1.1\n"},
        {"bad version", "YAOXIA-UPDATE 1\nversion=1.x\nurl=https://h/f\nsize=1\nsha256=" + kSha},
        {"five version parts", "YAOXIA-UPDATE 1\nversion=1.2.3.4.5\nurl=https://h/f\nsize=1\nsha256=" + kSha},
        {"plain http elsewhere", "YAOXIA-UPDATE 1\nversion=1\nurl=http://h/f\nsize=1\nsha256=" + kSha},
        {"zero size", "YAOXIA-UPDATE 1\nversion=1\nurl=https://h/f\nsize=0\nsha256=" + kSha},
        {"short sha", "YAOXIA-UPDATE 1\nversion=1\nurl=https://h/f\nsize=1\nsha256=abc"},
        {"control character", "YAOXIA-UPDATE 1\n" + body + "notes=a\x01b\n"},
        {"line without =", "YAOXIA-UPDATE 1\n" + body + "garbage\n"},
        {"over 64 KiB", "YAOXIA-UPDATE 1\n" + body + "notes=" + std::string(kMaxManifestBytes, 'x')},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parseManifest(c.text, &error)) << c.why;
        EXPECT_FALSE(error.empty()) << c.why;
    }
}

TEST(UpdateManifestTest, VersionsCompareByNumber) {
    const struct {
        const char* a;
        const char* b;
        std::optional<int> order;
    } cases[] = {
        {"1.2", "1.2.0", 0}, {"1.10", "1.9", 1}, {"0.1.0", "1.0", -1},
        {"2", "1.99.99", 1}, {"1..2", "1", {}},  {"1.2a", "1", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(compareVersions(c.a, c.b), c.order) << c.a << " vs " << c.b;
}

TEST(UpdateManifestTest, OnlyHttpsOrLoopbackHttpIsAccepted) {
    const struct {
        const char* url;
        bool accepted;
    } cases[] = {
        {"https://update.example/x", true},
        {"http://127.0.0.1:8080/x", true},
        {"http://localhost/x", true},
        {"http://update.example/x", false},
        {"ftp://update.example/x", false},
        {"https://user@update.example/x", false},
        {"not a url", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isAcceptedUrl(c.url), c.accepted) << c.url;
}
