// The people of the tests: certificates from a test CA with chosen names, e-mail and revocation
// status (CRLs served by a loopback HTTP server, a forged CRL, a silent address), put into the
// stores of the data root (YAOXIA_HOME must be set).
#pragma once

#include "HttpTestServer.h"
#include "TestPki.h"

#include <optional>
#include <string>
#include <vector>

class CDigitalCertificate;

namespace yxtest {

// The thumbprint text the program shows for a certificate (of an object: empty for none).
std::string thumbOf(X509* cert);
std::string thumbOf(CDigitalCertificate* cert);
std::string thumbOf(const Bytes& der);
inline std::string thumbOf(const Issued& who) {
    return thumbOf(who.cert.get());
}

// Puts a certificate into the store "my" (with its key unless told), "other" or "ca"; false when refused.
bool addToStore(const std::string& store, const Issued& who,
                const std::optional<std::string>& friendlyName = std::nullopt, bool withKey = true);

class People {
public:
    People();
    void caIntoStore(); // the CA's certificate into the CA store

    enum class Kind { Good, Revoked, Unknown, Error, NoCrl }; // what a revocation check finds
    Issued make(const std::string& cn, Kind kind, const std::string& email = "", long daysLeft = 365);
    // Someone with a key of the pool (key usage: encipherment and signature unless given).
    Issued person(const std::string& cn, const std::string& email = "", int keyIndex = 1, int keyUsage = -2);
    void publish(); // serves the CRLs; call after the certificates are made

    TestCa ca;
    TestCa otherCa;
    HttpTestServer server;
    std::string crlUrl, forgedUrl, deadUrl;
    std::vector<yx::X509Ptr> revoked;
};

} // namespace yxtest
