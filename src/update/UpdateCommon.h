// The update driver: reads and saves the update configuration under a registry key, and runs a
// check: fetch the manifest and its signature from <server><path>, verify the signature with the
// public key it was given, and compare the version with the running one.
#pragma once

#include "UpdateConfig.h"
#include "UpdateManifest.h"
#include "UpdateSignature.h"

#include <atomic>
#include <string>

namespace yx::update {

// Registry key (relative to HKEY_CURRENT_USER\Software, with the trailing "\") and path on the
// server that the program passes to Common.
inline constexpr const char* kUpdateRegistryKey = "KavexCorp\\岚川数字钥匣\\UpdateConfig\\";
inline constexpr const char* kUpdatePath = "/products/applications/assistant/update/";
// The files under the path.
inline constexpr const char* kManifestName = "manifest.txt";
inline constexpr const char* kSignatureName = "manifest.txt.sig";

struct UpdateOptions {
    long connectTimeoutMs = 10000;
    long checkTimeoutMs = 30000; // the whole check: manifest and signature
    std::string currentVersion;  // empty: the program's own version
};

class Common {
public:
    explicit Common(PublicKey key = makerPublicKey(), UpdateOptions options = {});
    virtual ~Common() = default;
    Common(const Common&) = default;
    Common& operator=(const Common&) = default;

    // Looks for an update. The "Server" of the configuration under registryKey, when set, takes
    // the place of `server`. Returns kUpdateAvailable (the manifest is then in offered()),
    // kNoUpdate, or a failure code with its detail in lastError(). Records the check's time,
    // result and the offered version under registryKey.
    int Start(const std::string& registryKey, const std::string& server, const std::string& path);

    // 0 on success (a missing key gives empty fields), 1 when the key cannot be read.
    int ReadConfigFromReg(Config& config, const std::string& registryKey);
    // 0 on success, 1 when a value cannot be written.
    int SaveConfigtoReg(Config config, const std::string& registryKey);

    // A flag the UI sets to end a running check early (kCancelled). Not owned.
    void setCancelFlag(const std::atomic<bool>* cancel) { m_cancel = cancel; }

    const UpdateManifest& offered() const { return m_offered; }
    const std::string& lastError() const { return m_lastError; }
    const UpdateOptions& options() const { return m_options; }

private:
    int check(const std::string& baseUrl);

    PublicKey m_key;
    UpdateOptions m_options;
    const std::atomic<bool>* m_cancel = nullptr;
    UpdateManifest m_offered;
    std::string m_lastError;
};

// The running program's version.
std::string programVersion();

} // namespace yx::update
