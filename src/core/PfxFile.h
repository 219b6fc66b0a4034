// PFX (PKCS#12) files: reading every common kind, writing ones Windows and openssl import.
#pragma once

#include "OpenSslHolders.h"
#include "ResultCodes.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace yx {

struct PfxContents {
    EvpPkeyPtr key;                          // may be null (a PFX of certificates only)
    X509Ptr cert;                            // the certificate matching the key (or the first one)
    std::vector<X509Ptr> chain;              // the other certificates
    std::optional<std::string> friendlyName; // UTF-8
};

// 0, kNotPfx, kWrongPassword, kLegacyUnavailable.
int readPfx(const std::vector<unsigned char>& bytes, const char* password, PfxContents& out);
// DER of a PFX: 3DES for key and certificates, SHA-1 MAC, high iteration count.
std::optional<std::vector<unsigned char>> writePfx(EVP_PKEY* key, X509* cert, const std::vector<X509*>& chain,
                                                   const std::optional<std::string>& friendlyName,
                                                   const char* password);
// Loads OpenSSL's legacy provider (for RC2/40 PFX files) once; false when unavailable.
bool ensureLegacyProvider();
// What to tell the user when readPfx returns kLegacyUnavailable.
const char* legacyProviderMessage();
// Larger files are refused as "not a PFX file" without being read.
inline constexpr size_t kMaxPfxFileSize = 16u << 20;
// What the user is told when an old PFX needs the legacy provider and it cannot be loaded.
const char* legacyProviderMessage();

} // namespace yx

class CPFXFile {
public:
    // 6 = not a PFX file, 7 = wrong source password, 13 = target cannot be created.
    // The target is written only on success.
    static int UpdateP12FilePasswd(const char* source, const char* sourcePassword, const char* target,
                                   const char* newPassword);
};
