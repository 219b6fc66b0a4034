// A Thunderbird-like profile under a home folder: ~/.thunderbird/profiles.ini naming
// p.default, with prefs.js as given, an empty NSS database made by certutil, and optionally an
// address book (abook.sqlite) of name/address pairs.
#pragma once

#include "TestPki.h"

#include <filesystem>
#include <sqlite3.h>
#include <string>
#include <utility>
#include <vector>

namespace yxtest {

// The profile's folder; empty when certutil failed. A folder other than p.default is left out of
// profiles.ini: the caller lists it.
inline std::string
makeThunderbirdProfile(const std::string& home, const std::string& prefs,
                       const std::vector<std::pair<std::string, std::string>>& contacts = {},
                       const std::string& folder = "p.default") {
    const std::string dir = home + "/.thunderbird/" + folder;
    std::filesystem::create_directories(dir);
    writeFile(home + "/.thunderbird", "profiles.ini",
              "[Profile0]\nName=default\nIsRelative=1\nPath=p.default\n");
    if (runCommand({"certutil", "-N", "-d", "sql:" + dir, "--empty-password"}) != 0)
        return {};
    writeFile(dir, "prefs.js", prefs);
    if (contacts.empty())
        return dir;
    sqlite3* db = nullptr;
    sqlite3_open((dir + "/abook.sqlite").c_str(), &db);
    std::string sql = "CREATE TABLE properties (card TEXT, name TEXT, value TEXT);";
    for (size_t i = 0; i < contacts.size(); ++i) {
        const std::string card = "'c" + std::to_string(i) + "'";
        if (!contacts[i].first.empty())
            sql +=
                "INSERT INTO properties VALUES (" + card + ", 'DisplayName', '" + contacts[i].first + "');";
        sql += "INSERT INTO properties VALUES (" + card + ", 'PrimaryEmail', '" + contacts[i].second + "');";
    }
    const bool ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok ? dir : std::string();
}

} // namespace yxtest
