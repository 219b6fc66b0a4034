// Bytes as a Mozilla prefs.js: parsing ends, every identity read has an address, and setting a
// preference either reads back with every other one unchanged or is refused.
#include "PrefsJs.h"
#include "PrefsJsWriter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto prefs = yx::nss::parsePrefsJs(text);
    for (const auto& id : yx::nss::mailIdentities(prefs))
        if (id.email.empty() || id.id.empty())
            std::abort();
    const std::string name = "mail.identity.id1.signing_cert_name";
    const std::string value = "证书 \"1\"\\\n";
    if (const auto edited = yx::nss::withUserPref(text, name, value)) {
        prefs.values[name] = value;
        if (yx::nss::parsePrefsJs(*edited).values != prefs.values)
            std::abort();
    }
    return 0;
}
