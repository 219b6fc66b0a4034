#include "UpdateServerKit.h"

#include "Settings.h"

#include <algorithm>
#include <cstdio>
#include <openssl/evp.h>
#include <stdexcept>

namespace yxtest {

ReleaseSigner::ReleaseSigner() : m_key(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519")) {
    if (!m_key)
        throw std::runtime_error("ReleaseSigner: no Ed25519 key");
}

std::vector<unsigned char> ReleaseSigner::publicKey() const {
    std::vector<unsigned char> raw(32);
    size_t len = raw.size();
    EVP_PKEY_get_raw_public_key(m_key.get(), raw.data(), &len);
    return raw;
}

std::vector<unsigned char> ReleaseSigner::sign(const std::string& message) const {
    yx::EvpMdCtxPtr ctx(EVP_MD_CTX_new());
    std::vector<unsigned char> sig(64);
    size_t len = sig.size();
    if (!ctx || EVP_DigestSignInit(ctx.get(), nullptr, nullptr, nullptr, m_key.get()) != 1 ||
        EVP_DigestSign(ctx.get(), sig.data(), &len, reinterpret_cast<const unsigned char*>(message.data()),
                       message.size()) != 1)
        throw std::runtime_error("ReleaseSigner: signing failed");
    return sig;
}

std::string sha256Hex(const std::string& data) {
    unsigned char digest[32];
    unsigned int len = 0;
    EVP_Digest(data.data(), data.size(), digest, &len, EVP_sha256(), nullptr);
    std::string out;
    char hex[3];
    for (unsigned i = 0; i < len; ++i) {
        std::snprintf(hex, sizeof hex, "%02x", digest[i]);
        out += hex;
    }
    return out;
}

std::string releaseManifest(const std::string& version, const std::string& url, const std::string& payload,
                            const std::string& notes) {
    std::string m = "YAOXIA-UPDATE 1\nversion=" + version + "\nurl=" + url +
                    "\nsize=" + std::to_string(payload.size()) + "\nsha256=" + sha256Hex(payload) + "\n";
    size_t start = 0;
    while (start < notes.size()) { // one notes= line per line of text
        const size_t nl = std::min(notes.find('\n', start), notes.size());
        m += "notes=" + notes.substr(start, nl - start) + "\n";
        start = nl + 1;
    }
    return m;
}

UpdateServer::UpdateServer() {
    yx::settings::WriteProfileString("UpdateConfig", "Server",
                                     "http://127.0.0.1:" + std::to_string(http.port()));
}

void UpdateServer::publish(const ReleaseSigner& signer, const std::string& version,
                           const std::string& payload, const std::string& notes) {
    const std::string manifest = releaseManifest(version, http.url(kRelease), payload, notes);
    http.setBody(kRelease, payload);
    publishRaw(manifest, signer.sign(manifest));
}

void UpdateServer::publishRaw(const std::string& manifest, const std::vector<unsigned char>& signature) {
    http.setBody(manifestPath(), manifest);
    http.setBody(std::string(kDir) + "manifest.txt.sig", signature);
}

} // namespace yxtest
