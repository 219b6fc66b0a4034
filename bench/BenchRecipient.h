// The benchmarks' recipient: a self-signed RSA certificate with its private key, put into the
// personal store of the data root, so the engine finds the key when it decrypts.
#pragma once

#include "CertStore.h"
#include "DerBytes.h"
#include "OpenSslHolders.h"

#include <openssl/evp.h>
#include <openssl/x509.h>
#include <optional>

namespace bench {

inline yx::X509Ptr makeRecipient(const char* commonName) {
    yx::EvpPkeyPtr key(EVP_RSA_gen(2048));
    yx::X509Ptr x(X509_new());
    X509_set_version(x.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(x.get()), 1);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(x.get()), "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509_set_issuer_name(x.get(), X509_get_subject_name(x.get()));
    X509_gmtime_adj(X509_getm_notBefore(x.get()), 0);
    X509_gmtime_adj(X509_getm_notAfter(x.get()), 86400);
    X509_set_pubkey(x.get(), key.get());
    X509_sign(x.get(), key.get(), EVP_sha256());
    PKCS8_PRIV_KEY_INFO* p8 = EVP_PKEY2PKCS8(key.get());
    const auto keyDer = yx::toDer<i2d_PKCS8_PRIV_KEY_INFO, true>(p8);
    PKCS8_PRIV_KEY_INFO_free(p8);
    yx::makeDiskStoreBackend("my")->add(yx::toDer<i2d_X509>(x.get()), keyDer, std::nullopt, "");
    return x;
}

} // namespace bench
