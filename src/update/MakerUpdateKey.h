// The maker's release-signing public key (Ed25519, raw 32 bytes) and update server. The private
// key never enters the source tree; see README.md ("Signing a release") for how manifests are signed.
#pragma once

namespace yx::update {

inline constexpr unsigned char kMakerUpdatePublicKey[32] = {
    0x88, 0x8c, 0x81, 0xa9, 0x85, 0x0f, 0xa5, 0xf3, 0x88, 0xc6, 0xd6, 0x22, 0xd3, 0x60, 0x4b, 0x36,
    0xd8, 0x4b, 0x58, 0xcf, 0x86, 0x59, 0xc9, 0xcf, 0xb2, 0xdb, 0xba, 0x25, 0x7f, 0x17, 0x4f, 0xfd};

// Used when the "UpdateConfig" section names no "Server" of its own.
inline constexpr const char* kMakerUpdateServer = "https://update.kavexcorp.example";

} // namespace yx::update
