// The user's NSS certificate databases: the shared one in ~/.pki/nssdb (Chromium and other NSS
// programs) and one per profile of Firefox and Thunderbird, in their usual, snap and flatpak homes.
#pragma once

#include <string>
#include <vector>

namespace yx::nss {

enum class DbFormat {
    Sql,    // cert9.db and key4.db: opened in sql: form
    Legacy, // only cert8.db: named, never opened
    None,   // the folder is gone or holds no database
};

struct NssDatabase {
    std::string program; // "Firefox", "Thunderbird (Snap)", ...
    std::string profile; // the profile's name
    std::string dir;     // the folder holding cert9.db
    DbFormat format = DbFormat::None;

    // "Firefox — default-release", as the user sees it.
    std::string label() const;
};

struct FoundDatabases {
    std::vector<NssDatabase> databases;
    std::vector<std::string> notes; // profiles.ini entries that were skipped, and why
};

// Every database under `home` (the user's home folder), each folder once.
FoundDatabases findNssDatabases(const std::string& home);
// $HOME, else the password database's home folder.
std::string userHome();

DbFormat databaseFormat(const std::string& dir);

// The database in `dir`: the one findNssDatabases names for that folder, else one named after
// the folder itself.
NssDatabase describeDatabase(const std::string& dir, const std::string& home);

} // namespace yx::nss
