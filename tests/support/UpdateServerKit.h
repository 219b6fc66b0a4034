// An update server for tests: a signing key made at run time and signed manifests published on
// the loopback HttpTestServer, pointed to by the "UpdateConfig" / "Server" setting.
#pragma once

#include "HttpTestServer.h"
#include "OpenSslHolders.h"

#include <string>
#include <vector>

namespace yxtest {

class ReleaseSigner {
public:
    ReleaseSigner(); // a fresh Ed25519 key
    std::vector<unsigned char> publicKey() const;
    std::vector<unsigned char> sign(const std::string& message) const;

private:
    yx::EvpPkeyPtr m_key;
};

std::string sha256Hex(const std::string& data);

// The manifest of a release of `payload` downloadable at `url`.
std::string releaseManifest(const std::string& version, const std::string& url, const std::string& payload,
                            const std::string& notes = "");

// A loopback update server: the program's update path, the release file, the setting.
class UpdateServer {
public:
    static constexpr const char* kDir = "/products/applications/assistant/update/";
    static constexpr const char* kRelease = "/files/yaoxia-9.0.0.tar.gz";

    // Writes "UpdateConfig" / "Server" (call with YAOXIA_HOME set).
    UpdateServer();

    // Publishes version with a download of payload, signed by `signer` (or with `signature`).
    void publish(const ReleaseSigner& signer, const std::string& version, const std::string& payload,
                 const std::string& notes = "");
    void publishRaw(const std::string& manifest, const std::vector<unsigned char>& signature);

    std::string manifestPath() const { return std::string(kDir) + "manifest.txt"; }
    int manifestRequests() const { return http.requestCount(manifestPath()); }

    HttpTestServer http;
};

} // namespace yxtest
