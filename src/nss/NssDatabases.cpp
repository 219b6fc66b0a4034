#include "NssDatabases.h"

#include "ProfilesIni.h"
#include "SafeFile.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace yx::nss {
namespace {

namespace fs = std::filesystem;

struct MozillaHome {
    const char* program;
    const char* dir; // relative to the home folder; holds profiles.ini
};

constexpr MozillaHome kMozillaHomes[] = {
    {"Firefox", ".mozilla/firefox"},
    {"Firefox", ".config/mozilla/firefox"},
    {"Firefox (Snap)", "snap/firefox/common/.mozilla/firefox"},
    {"Firefox (Flatpak)", ".var/app/org.mozilla.firefox/.mozilla/firefox"},
    {"Thunderbird", ".thunderbird"},
    {"Thunderbird (Snap)", "snap/thunderbird/common/.thunderbird"},
    {"Thunderbird (Flatpak)", ".var/app/org.mozilla.Thunderbird/.thunderbird"},
};

constexpr size_t kMaxIniSize = 1u << 20;

// The folder as one key, so a profile reached twice (a symbolic link, two ini files) counts once.
std::string folderKey(const std::string& dir) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(dir, ec);
    return ec ? fs::path(dir).lexically_normal().string() : canonical.string();
}

void add(FoundDatabases& found, NssDatabase db) {
    const std::string key = folderKey(db.dir);
    for (const NssDatabase& d : found.databases)
        if (folderKey(d.dir) == key)
            return;
    db.format = databaseFormat(db.dir);
    found.databases.push_back(std::move(db));
}

} // namespace

std::string NssDatabase::label() const {
    return program + " — " + profile;
}

std::string userHome() {
    if (const char* h = std::getenv("HOME"); h && *h)
        return h;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

DbFormat databaseFormat(const std::string& dir) {
    if (isRegularFile(dir + "/cert9.db") && isRegularFile(dir + "/key4.db"))
        return DbFormat::Sql;
    if (isRegularFile(dir + "/cert8.db"))
        return DbFormat::Legacy;
    return DbFormat::None;
}

FoundDatabases findNssDatabases(const std::string& home) {
    FoundDatabases found;
    const std::string shared = home + "/.pki/nssdb";
    if (databaseFormat(shared) != DbFormat::None)
        add(found, {"Chromium", "~/.pki/nssdb", shared, DbFormat::None});
    for (const MozillaHome& m : kMozillaHomes) {
        const std::string iniDir = home + "/" + m.dir;
        const std::string ini = iniDir + "/profiles.ini";
        if (!fileExists(ini))
            continue;
        auto text = readWholeFile(ini, kMaxIniSize);
        if (!text) {
            found.notes.push_back(ini + ": 无法读取");
            continue;
        }
        ParsedProfiles parsed =
            parseProfilesIni(std::string_view(reinterpret_cast<const char*>(text->data()), text->size()));
        for (const std::string& why : parsed.skipped)
            found.notes.push_back(ini + ": " + why);
        for (const IniProfile& p : parsed.profiles)
            add(found, {m.program, p.name, profileDir(iniDir, p), DbFormat::None});
    }
    return found;
}

NssDatabase describeDatabase(const std::string& given, const std::string& home) {
    // "sql:DIR" as NSS's own tools take it means the same folder.
    const std::string dir = given.rfind("sql:", 0) == 0 ? given.substr(4) : given;
    const std::string key = folderKey(dir);
    for (NssDatabase& db : findNssDatabases(home).databases)
        if (folderKey(db.dir) == key)
            return db;
    NssDatabase db{"NSS", dir, dir, DbFormat::None};
    db.format = databaseFormat(dir);
    return db;
}

} // namespace yx::nss
