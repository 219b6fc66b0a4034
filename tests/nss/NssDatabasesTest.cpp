// Finding the NSS databases in a home folder laid out like the user's: Firefox and Thunderbird
// profiles (usual, snap and flatpak homes) and the shared ~/.pki/nssdb.
#include "NssDatabases.h"
#include "NssTestDb.h"
#include "ProfilesIni.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace yx::nss;

namespace {

TEST(ProfilesIniTest, OddEntries_SkippedAndNamed) {
    struct Case {
        const char* name;
        std::string text;
        std::string paths; // profiles found, in order, each behind a ';'
        size_t skipped;
    };
    const Case cases[] = {
        {"usual",
         "[General]\nStartWithLastProfile=1\n\n[Profile0]\nName=default\nIsRelative=1\nPath=ab.default\n"
         "[Install4F96D1932A9F858E]\nDefault=ab.default\nLocked=1\n",
         "ab.default;", 0},
        {"bom, CRLF, blanks, comments",
         "\xEF\xBB\xBF; made by hand\r\n[Profile1]\r\n Name = 工作 \r\nPath=x y\r\n", "x y;", 0},
        {"no path, duplicate, relative path marked absolute",
         "[Profile0]\nName=a\n[Profile1]\nPath=p\n[Profile2]\nPath=p\n[Profile3]\nIsRelative=0\nPath=rel\n",
         "p;", 3},
        {"keys before any section, lines without '=', junk",
         "Path=nowhere\n[Profile0\ngarbage\nPath=q\n\x01\x02", "q;", 0},
        {"control characters in the path", std::string("[Profile0]\nPath=a\x01b\n"), "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ParsedProfiles parsed = parseProfilesIni(c.text);
        std::string paths;
        for (const IniProfile& p : parsed.profiles)
            paths += p.path + ";";
        EXPECT_EQ(paths, c.paths);
        EXPECT_EQ(parsed.skipped.size(), c.skipped);
    }
}

TEST(NssDatabasesTest, MozillaLikeHome_EveryProfileFoundWithItsFormat) {
    yxtest::TempDir home;
    const auto mkdir = [&](const std::string& rel) {
        std::filesystem::create_directories(home.file(rel));
        return home.file(rel);
    };
    const auto makeDb = [](const std::string& dir) {
        ASSERT_EQ(yxtest::runCommand({"certutil", "-N", "-d", "sql:" + dir, "--empty-password"}), 0);
    };
    makeDb(mkdir(".pki/nssdb"));
    makeDb(mkdir(".mozilla/firefox/ab.default-release"));
    yxtest::writeFile(home.file(".mozilla/firefox"), "profiles.ini",
                      "[Profile1]\nName=old\nIsRelative=1\nPath=gone.old\n"
                      "[Profile0]\nName=default-release\nIsRelative=1\nPath=ab.default-release\nDefault=1\n"
                      "[Profile2]\nName=broken\n");
    makeDb(mkdir("snap/firefox/common/.mozilla/firefox/cd.snap"));
    yxtest::writeFile(home.file("snap/firefox/common/.mozilla/firefox"), "profiles.ini",
                      "\xEF\xBB\xBF[Profile0]\r\nName=snap\r\nIsRelative=1\r\nPath=cd.snap\r\n");
    const std::string legacy = mkdir("elsewhere/tb-work");
    yxtest::writeFile(legacy, "cert8.db", std::string("old"));
    yxtest::writeFile(mkdir(".var/app/org.mozilla.Thunderbird/.thunderbird"), "profiles.ini",
                      "[Profile0]\nName=work\nIsRelative=0\nPath=" + legacy + "\n");

    const FoundDatabases found = findNssDatabases(home.path());
    struct Row {
        std::string program, profile;
        DbFormat format;
        bool operator==(const Row&) const = default;
    };
    std::vector<Row> rows;
    for (const NssDatabase& db : found.databases)
        rows.push_back({db.program, db.profile, db.format});
    const std::vector<Row> expected = {
        {"Chromium", "~/.pki/nssdb", DbFormat::Sql},         {"Firefox", "old", DbFormat::None},
        {"Firefox", "default-release", DbFormat::Sql},       {"Firefox (Snap)", "snap", DbFormat::Sql},
        {"Thunderbird (Flatpak)", "work", DbFormat::Legacy},
    };
    EXPECT_TRUE(rows == expected);
    EXPECT_EQ(found.notes.size(), 1u); // [Profile2] without a path
    // A folder given by hand is named as the search names it.
    EXPECT_EQ(
        describeDatabase("sql:" + home.file(".mozilla/firefox/ab.default-release/"), home.path()).label(),
        "Firefox — default-release");
}

} // namespace
