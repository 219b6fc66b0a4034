#include "ThunderbirdProfiles.h"

#include "SafeFile.h"

namespace yx::nss {
namespace {
constexpr size_t kMaxPrefsSize = 16u << 20;
}

std::vector<NssDatabase> thunderbirdProfiles(const std::string& home) {
    std::vector<NssDatabase> out;
    for (NssDatabase& db : findNssDatabases(home).databases)
        if (db.program.rfind("Thunderbird", 0) == 0)
            out.push_back(std::move(db));
    return out;
}

bool readProfilePrefs(const std::string& dir, std::string& text) {
    auto bytes = readWholeFile(dir + "/prefs.js", kMaxPrefsSize);
    if (!bytes)
        return false;
    text.assign(bytes->begin(), bytes->end());
    return true;
}

std::vector<TbIdentity> thunderbirdIdentities(const std::string& home) {
    std::vector<TbIdentity> out;
    for (const NssDatabase& profile : thunderbirdProfiles(home)) {
        std::string text;
        if (!readProfilePrefs(profile.dir, text))
            continue;
        for (MailIdentity& id : mailIdentities(parsePrefsJs(text)))
            out.push_back({profile, std::move(id)});
    }
    return out;
}

Bytes profileCertByNickname(const NssDatabase& profile, const std::string& nickname) {
    UserDb db;
    std::string ignored;
    if (nickname.empty() || db.open(profile.dir, true, ignored))
        return {};
    return db.certByNickname(nickname);
}

std::vector<Bytes> profileCertsForEmail(const NssDatabase& profile, const std::string& email) {
    UserDb db;
    std::string ignored;
    if (db.open(profile.dir, true, ignored))
        return {};
    return db.certsForEmail(email);
}

std::set<std::string> profileCertAddresses(const NssDatabase& profile) {
    UserDb db;
    std::string ignored;
    if (db.open(profile.dir, true, ignored))
        return {};
    const std::vector<std::string> all = db.certAddresses();
    return {all.begin(), all.end()};
}

} // namespace yx::nss
