// The shared, counted certificate context: what a platform certificate context is on Windows.
// A store and every CDigitalCertificate made from the same entry share one context, so a
// property change (friendly name) made through one is seen by all and saved to the store.
#pragma once

#include "OpenSslHolders.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace yx {

struct CertContext;

// Implemented by a store: keeps the properties of one of its entries.
class CertPropertySink {
public:
    virtual ~CertPropertySink() = default;
    virtual bool saveProperties(const CertContext& ctx) = 0;
};

struct CertContext {
    X509Ptr x509;                            // parsed certificate
    std::vector<unsigned char> der;          // its DER bytes, exactly as stored
    std::optional<std::string> friendlyName; // UTF-8; nullopt = property absent
    std::string providerName;                // key provider ("CSP") name recorded at import; empty = none
    std::string keyPath;                     // private key file (PKCS#8 PEM, mode 0600); empty = no key
    std::weak_ptr<CertPropertySink> store;   // the store that holds this entry, if any
    std::string entryId;                     // the entry's name in that store

    // A context from DER bytes; null when the bytes are no certificate (trailing bytes refused).
    static std::shared_ptr<CertContext> fromDer(const unsigned char* data, size_t len);
    // Deep copy of the certificate with no store link (an object the caller owns outright).
    static std::shared_ptr<CertContext> fromX509(X509* cert);

    bool hasPrivateKey() const { return !keyPath.empty(); }
    EvpPkeyPtr loadPrivateKey() const; // null when there is none or it cannot be read
};

using CertContextPtr = std::shared_ptr<CertContext>;

} // namespace yx
