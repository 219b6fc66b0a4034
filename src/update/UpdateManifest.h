// The update manifest: a small UTF-8 text the maker publishes beside the release, signed with the
// maker's Ed25519 key (the detached 64-byte signature lies beside it as "manifest.txt.sig").
//
//   YAOXIA-UPDATE 1
//   version=1.2.0
//   url=https://download.example/yaoxia-1.2.0.tar.gz
//   size=1048576
//   sha256=<64 hexadecimal digits>
//   notes=第一行说明
//   notes=第二行说明
//
// The first line is the marker. Then one "key=value" per line (LF, an optional CR before it);
// values hold no control characters but tab; empty lines and lines starting with "#" are
// skipped, unknown keys are ignored so later versions can add some. version (1 to 4
// dot-separated numbers), url (https://, or http:// on the loopback address), size (bytes,
// 1 .. 2 GiB) and sha256 are required, each once; notes may repeat, its lines joined with "\n".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace yx::update {

inline constexpr size_t kMaxManifestBytes = 64 * 1024;

struct UpdateManifest {
    std::string version;
    std::string url;
    uint64_t size = 0;
    std::string sha256; // lower-case hexadecimal
    std::string notes;
};

// nullopt for anything that is not a complete manifest (error, when given, says what is wrong).
std::optional<UpdateManifest> parseManifest(std::string_view text, std::string* error = nullptr);

// Compares dotted version numbers ("1.2" == "1.2.0" < "1.10"): negative, 0 or positive; nullopt
// when either is not a version.
std::optional<int> compareVersions(std::string_view a, std::string_view b);

// https:// with any host, or http:// on 127.0.0.1, localhost or [::1] (test servers).
bool isAcceptedUrl(const std::string& url);

} // namespace yx::update
