#include "UpdateCommon.h"

#include "Registry.h"
#include "UpdateResult.h"
#include "UpdateTransfer.h"

#include <ctime>

namespace yx::update {
namespace {

// "KavexCorp\岚川数字钥匣\UpdateConfig\" names a key under HKEY_CURRENT_USER\Software.
std::string keyPath(std::string registryKey) {
    while (!registryKey.empty() && registryKey.back() == '\\')
        registryKey.pop_back();
    return "Software\\" + registryKey;
}

std::string utcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

std::string joinUrl(std::string base, const std::string& path, const char* file) {
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    std::string p = path.empty() || path.front() != '/' ? "/" + path : path;
    if (p.back() != '/')
        p += '/';
    return base + p + file;
}

} // namespace

std::string programVersion() {
    return YAOXIA_VERSION;
}

Common::Common(PublicKey key, UpdateOptions options) : m_key(std::move(key)), m_options(std::move(options)) {
    if (m_options.currentVersion.empty())
        m_options.currentVersion = programVersion();
}

int Common::ReadConfigFromReg(Config& config, const std::string& registryKey) {
    const std::string key = keyPath(registryKey);
    for (int f = 0; f < Config::FieldCount; ++f) {
        const auto field = static_cast<Config::Field>(f);
        config.setValue(field,
                        reg::readString(reg::Hive::CurrentUser, key, Config::valueName(field)).value_or(""));
    }
    return 0;
}

int Common::SaveConfigtoReg(Config config, const std::string& registryKey) {
    std::vector<std::pair<std::string, std::string>> values;
    for (int f = 0; f < Config::FieldCount; ++f) {
        const auto field = static_cast<Config::Field>(f);
        values.emplace_back(Config::valueName(field), config.value(field));
    }
    return reg::writeStrings(reg::Hive::CurrentUser, keyPath(registryKey), values) ? 0 : 1;
}

int Common::Start(const std::string& registryKey, const std::string& server, const std::string& path) {
    Config config;
    ReadConfigFromReg(config, registryKey);
    const std::string base = config.value(Config::Server).empty() ? server : config.value(Config::Server);
    m_offered = {};
    m_lastError.clear();
    const int rc = check(joinUrl(base, path, ""));

    // Only the fields the check owns: the configuration dialog may be writing the others.
    const std::string key = keyPath(registryKey);
    reg::writeString(reg::Hive::CurrentUser, key, Config::valueName(Config::LastCheck), utcNow());
    reg::writeString(reg::Hive::CurrentUser, key, Config::valueName(Config::LastResult), std::to_string(rc));
    if (rc == kUpdateAvailable)
        reg::writeString(reg::Hive::CurrentUser, key, Config::valueName(Config::LatestVersion),
                         m_offered.version);
    return rc;
}

int Common::check(const std::string& baseUrl) {
    if (!isAcceptedUrl(baseUrl)) {
        m_lastError = resultMessage(kBadServer) + "\n" + baseUrl;
        return kBadServer;
    }
    TransferLimits limits;
    limits.connectTimeoutMs = m_options.connectTimeoutMs;
    limits.deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_options.checkTimeoutMs);
    limits.maxBytes = kMaxManifestBytes;

    std::vector<unsigned char> manifest, signature;
    std::string detail;
    int rc = fetch(baseUrl + kManifestName, limits, m_cancel, {}, manifest, detail);
    if (rc == 0) {
        limits.maxBytes = 64; // an Ed25519 signature
        rc = fetch(baseUrl + kSignatureName, limits, m_cancel, {}, signature, detail);
        if (rc == kTooLarge)
            rc = kBadSignature;
    }
    if (rc != 0) {
        m_lastError = resultMessage(rc) + (detail.empty() ? "" : "\n" + detail);
        return rc;
    }
    const std::string_view text(reinterpret_cast<const char*>(manifest.data()), manifest.size());
    // Nothing of an unsigned manifest is looked at, not even its version.
    if (!verifySignature(m_key, text, signature)) {
        m_lastError = resultMessage(kBadSignature);
        return kBadSignature;
    }
    std::string why;
    auto parsed = parseManifest(text, &why);
    if (!parsed) {
        m_lastError = resultMessage(kBadManifest) + "\n" + why;
        return kBadManifest;
    }
    const auto order = compareVersions(parsed->version, m_options.currentVersion);
    if (!order || *order <= 0) {
        m_lastError = resultMessage(kNoUpdate);
        return kNoUpdate;
    }
    m_offered = std::move(*parsed);
    return kUpdateAvailable;
}

} // namespace yx::update
