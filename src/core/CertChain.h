// The certification path of a certificate: from it up to a root, found by issuer/subject name and
// authority/subject key identifier matching against the program's CA and personal stores and the
// system trust folder. Used by the certificate viewer; no user interface here.
#pragma once

#include "OpenSslHolders.h"

#include <ctime>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace yx {

// Where a certificate of the path was found.
enum class CertOrigin { Subject, CaStore, PersonalStore, SystemTrust, Other };

// What is wrong with one element of the path. When several things are, the first in this order
// is reported.
enum class ChainProblem {
    None,
    BadSignature,   // the issuer's key does not verify the certificate's signature
    Expired,        // the validity period has ended
    NotYetValid,    // the validity period has not begun
    IssuerNotCa,    // the issuer found is no CA certificate
    IssuerNotFound, // the top element is not self-signed and no issuer is known
    UntrustedRoot,  // a self-signed root in neither the CA store nor the system trust folder
};

struct ChainElement {
    X509Ptr cert;
    CertOrigin origin = CertOrigin::Other;
    ChainProblem problem = ChainProblem::None; // this element's own problem
};

struct CertChain {
    // [0] is the certificate itself, each next one its issuer; the last is the root when complete.
    std::vector<ChainElement> elements;
    bool complete = false; // the top element is a self-signed root
    bool trusted = false;  // complete, and the root is in the CA store or the system trust folder

    // What decides the status of element i: its own problem, else the first problem of an element
    // above it (then `inherited` is set).
    ChainProblem effectiveProblem(size_t i, bool* inherited = nullptr) const;
    ChainProblem overall() const { return effectiveProblem(0); }
};

inline constexpr const char* kSystemTrustDir = "/etc/ssl/certs";

// The certificates a path may be built from.
class ChainCandidates {
public:
    void add(X509* cert, CertOrigin origin); // takes its own reference
    // An OpenSSL hashed folder (<subject hash>.<n> files, PEM); empty = none.
    void setSystemTrustDir(std::string dir) { m_systemDir = std::move(dir); }

    // Certificates whose subject equals `name`: the added ones first, then the trust folder's.
    std::vector<std::pair<X509*, CertOrigin>> bySubject(const X509_NAME* name) const;
    // True when `cert` itself is in the CA store or the trust folder.
    bool isTrustedAnchor(X509* cert) const;

private:
    const std::vector<X509Ptr>& systemCerts(const X509_NAME* name) const;

    std::vector<std::pair<X509Ptr, CertOrigin>> m_certs;
    std::string m_systemDir;
    mutable std::map<unsigned long, std::vector<X509Ptr>> m_systemCache; // by subject hash
};

// The program's CA and personal stores (under the current data root) and the trust folder.
ChainCandidates candidatesFromStores(const std::string& systemTrustDir = kSystemTrustDir);

// Builds the path of `cert` (which is not modified) at time `now`.
CertChain buildCertChain(X509* cert, const ChainCandidates& candidates, time_t now = std::time(nullptr));

// The status text shown for a problem ("该证书没有问题。" for none); `inherited` when the problem
// belongs to a certificate above the one shown.
std::string chainProblemText(ChainProblem problem, bool inherited);

} // namespace yx
