// A Mozilla profile's prefs.js (user_pref("name", value); lines) and the mail identities
// Thunderbird keeps in it: address, name and the nicknames of the signing and encryption
// certificates. Reading only; statements of unusual syntax are skipped and counted.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace yx::nss {

struct Prefs {
    std::map<std::string, std::string> values; // strings unescaped; numbers and booleans as written
    int skipped = 0;                           // statements that could not be read
    // Where the statement that set each value lies in the text: [first, second), up to its ';'.
    std::map<std::string, std::pair<size_t, size_t>> spans;
};

Prefs parsePrefsJs(std::string_view text);

struct MailIdentity {
    std::string id; // "id1"
    std::string email;
    std::string fullName;
    std::string signingCert;    // nickname in the profile's NSS database, empty = none
    std::string encryptionCert; // likewise
};

// Identities with an address, ordered by id (as text).
std::vector<MailIdentity> mailIdentities(const Prefs& prefs);

} // namespace yx::nss
