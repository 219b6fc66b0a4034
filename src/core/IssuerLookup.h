// Finding the certificate that issued a certificate: in the program's CA store, the personal
// store, then the system trust folder (/etc/ssl/certs through OpenSSL's default paths).
#pragma once

#include "OpenSslHolders.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace yx {

// True when `candidate` can have issued `cert`: its subject equals the certificate's issuer name,
// the certificate's authority key identifier (where present) matches it, and its key usage (where
// present) allows signing certificates.
bool isIssuerOf(X509* candidate, X509* cert);

// One place to look for issuers: returns the certificates it holds.
using IssuerSource = std::function<std::vector<X509Ptr>()>;

// The program's CA store, then its personal store.
std::vector<IssuerSource> storeIssuerSources();

// Looks issuers up for one list load. Each source is read at most once, and only when the earlier
// ones did not have the issuer; answers (found or not) are remembered by issuer name and key id.
class IssuerFinder {
public:
    explicit IssuerFinder(std::vector<IssuerSource> sources, bool useSystemTrust = true);
    ~IssuerFinder();
    IssuerFinder(const IssuerFinder&) = delete;
    IssuerFinder& operator=(const IssuerFinder&) = delete;

    // The issuer of `cert`, owned by the finder; null when none is known.
    X509* find(X509* cert);

private:
    X509* searchSources(X509* cert);
    X509* searchSystemTrust(X509* cert);

    std::vector<IssuerSource> m_sources;
    std::vector<std::vector<X509Ptr>> m_loaded; // certificates of the sources read so far
    bool m_useSystemTrust;
    X509StorePtr m_system; // opened on first need
    bool m_systemTried = false;
    std::vector<X509Ptr> m_systemFound;  // issuers taken out of the system store
    std::map<std::string, X509*> m_memo; // issuer name DER + key id -> issuer or null
};

} // namespace yx
