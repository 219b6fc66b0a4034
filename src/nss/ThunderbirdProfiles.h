// Thunderbird as the secure e-mail page sees it: the mail identities of every Thunderbird profile
// (address and the nicknames of its signing and encryption certificates, from prefs.js) and the
// certificates of the profile's own NSS database that those nicknames and contact addresses name.
#pragma once

#include "NssDatabases.h"
#include "NssUserDb.h"
#include "PrefsJs.h"

#include <set>
#include <string>
#include <vector>

namespace yx::nss {

struct TbIdentity {
    NssDatabase profile;
    MailIdentity identity;
};

// The Thunderbird profiles (usual, snap and flatpak homes) under `home`.
std::vector<NssDatabase> thunderbirdProfiles(const std::string& home);
// Identities of every profile, profile by profile; a profile without a readable prefs.js has none.
std::vector<TbIdentity> thunderbirdIdentities(const std::string& home);

// prefs.js of a profile, whole; false when it cannot be read.
bool readProfilePrefs(const std::string& dir, std::string& text);

// The certificates a profile's database holds, for the page: by nickname (empty when none or the
// database cannot be read) and by address.
Bytes profileCertByNickname(const NssDatabase& profile, const std::string& nickname);
std::vector<Bytes> profileCertsForEmail(const NssDatabase& profile, const std::string& email);
// The addresses (lower case) the profile's database has certificates for, opened once.
std::set<std::string> profileCertAddresses(const NssDatabase& profile);

} // namespace yx::nss
