// Result codes of the security library that callers tell apart.
#pragma once

namespace yx::rc {
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;             // generic failure (store cannot be written, ...)
inline constexpr int kNotPfx = 6;             // not a PFX file
inline constexpr int kWrongPassword = 7;      // wrong PFX password
inline constexpr int kNotCertFile = 8;        // not a certificate file
inline constexpr int kTargetCreate = 13;      // target file cannot be created
inline constexpr int kLegacyUnavailable = 14; // PFX needs OpenSSL's legacy provider, which cannot be loaded
inline constexpr int kNoPrivateKey = 15;      // PFX holds no private key matching a certificate
} // namespace yx::rc
