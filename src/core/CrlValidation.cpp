#include "CrlValidation.h"

#include "OpenSslHolders.h"

#include <openssl/err.h>

namespace yx {

CrlTrust checkCrlIssuer(X509_CRL* crl, X509* issuer) {
    if (X509_NAME_cmp(X509_CRL_get_issuer(crl), X509_get_subject_name(issuer)) != 0)
        return CrlTrust::WrongIssuer;
    // X509_get_key_usage answers all bits when the extension is absent.
    if ((X509_get_key_usage(issuer) & KU_CRL_SIGN) == 0)
        return CrlTrust::NotCrlSigner;
    EVP_PKEY* key = X509_get0_pubkey(issuer);
    const bool ok = key && X509_CRL_verify(crl, key) == 1;
    ERR_clear_error();
    return ok ? CrlTrust::Verified : CrlTrust::BadSignature;
}

bool isCrlCurrent(X509_CRL* crl, time_t now) {
    const ASN1_TIME* last = X509_CRL_get0_lastUpdate(crl);
    if (!last || X509_cmp_time(last, &now) > 0)
        return false; // issued in the future (or malformed): not to be relied on yet
    const ASN1_TIME* next = X509_CRL_get0_nextUpdate(crl);
    if (!next)
        return true;
    const int cmp = X509_cmp_time(next, &now);
    return cmp > 0; // 0 means the time could not be read
}

bool crlListsCertificate(X509_CRL* crl, X509* cert) {
    X509_REVOKED* entry = nullptr;
    // 1 = listed; 2 = listed with reason removeFromCRL (a delta CRL lifting a hold).
    return X509_CRL_get0_by_serial(crl, &entry, X509_get_serialNumber(cert)) == 1;
}

} // namespace yx
