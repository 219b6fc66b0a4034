// Bytes as a Mozilla prefs.js: parsing ends, and every identity read has an address.
#include "PrefsJs.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto prefs = yx::nss::parsePrefsJs(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& id : yx::nss::mailIdentities(prefs))
        if (id.email.empty() || id.id.empty())
            std::abort();
    return 0;
}
