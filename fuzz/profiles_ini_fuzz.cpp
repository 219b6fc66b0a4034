// Bytes as a Mozilla profiles.ini: every profile kept must have a usable, unique path, and its
// folder must come out without a trailing slash.
#include "ProfilesIni.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto parsed =
        yx::nss::parseProfilesIni(std::string_view(reinterpret_cast<const char*>(data), size));
    for (size_t i = 0; i < parsed.profiles.size(); ++i) {
        const auto& p = parsed.profiles[i];
        if (p.path.empty() || p.name.find('\n') != std::string::npos)
            std::abort();
        for (char c : p.path)
            if (static_cast<unsigned char>(c) < 0x20)
                std::abort();
        for (size_t j = 0; j < i; ++j)
            if (parsed.profiles[j].path == p.path && parsed.profiles[j].isRelative == p.isRelative)
                std::abort();
        const std::string dir = yx::nss::profileDir("/home/u/.mozilla/firefox", p);
        if (dir.size() > 1 && dir.back() == '/')
            std::abort();
    }
    return 0;
}
