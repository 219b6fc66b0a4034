// Judging a CRL: is it the issuer's (name and signature), is it current, does it list a serial.
#pragma once

#include <openssl/x509.h>

#include <ctime>

namespace yx {

enum class CrlTrust {
    Verified,     // issued under the issuer's name and signed with its key
    WrongIssuer,  // the CRL names another issuer
    NotCrlSigner, // the issuer's key usage does not allow signing CRLs
    BadSignature, // the signature does not verify with the issuer's key
};

// Whether `crl` comes from `issuer`. Does not look at dates.
CrlTrust checkCrlIssuer(X509_CRL* crl, X509* issuer);

// lastUpdate <= now and, when nextUpdate is present, now < nextUpdate.
bool isCrlCurrent(X509_CRL* crl, time_t now);

// True when the certificate's serial number is listed (entries marked removeFromCRL excepted).
bool crlListsCertificate(X509_CRL* crl, X509* cert);

} // namespace yx
