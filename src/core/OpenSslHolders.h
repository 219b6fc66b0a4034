// Owning holders for OpenSSL objects: every object the program creates lives in one of these,
// so no return path can leak it.
#pragma once

#include <memory>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace yx {

template <auto FreeFn> struct OsslDeleter {
    template <typename T> void operator()(T* p) const noexcept { FreeFn(p); }
};

using X509Ptr = std::unique_ptr<X509, OsslDeleter<X509_free>>;
using X509CrlPtr = std::unique_ptr<X509_CRL, OsslDeleter<X509_CRL_free>>;
using X509StorePtr = std::unique_ptr<X509_STORE, OsslDeleter<X509_STORE_free>>;
using X509StoreCtxPtr = std::unique_ptr<X509_STORE_CTX, OsslDeleter<X509_STORE_CTX_free>>;
using X509NamePtr = std::unique_ptr<X509_NAME, OsslDeleter<X509_NAME_free>>;
using X509ExtPtr = std::unique_ptr<X509_EXTENSION, OsslDeleter<X509_EXTENSION_free>>;
using EvpPkeyPtr = std::unique_ptr<EVP_PKEY, OsslDeleter<EVP_PKEY_free>>;
using EvpPkeyCtxPtr = std::unique_ptr<EVP_PKEY_CTX, OsslDeleter<EVP_PKEY_CTX_free>>;
using EvpCipherCtxPtr = std::unique_ptr<EVP_CIPHER_CTX, OsslDeleter<EVP_CIPHER_CTX_free>>;
using EvpMdCtxPtr = std::unique_ptr<EVP_MD_CTX, OsslDeleter<EVP_MD_CTX_free>>;
using BioPtr = std::unique_ptr<BIO, OsslDeleter<BIO_free_all>>;
using Pkcs12Ptr = std::unique_ptr<PKCS12, OsslDeleter<PKCS12_free>>;
using Pkcs7Ptr = std::unique_ptr<PKCS7, OsslDeleter<PKCS7_free>>;
using BignumPtr = std::unique_ptr<BIGNUM, OsslDeleter<BN_free>>;
using Asn1IntegerPtr = std::unique_ptr<ASN1_INTEGER, OsslDeleter<ASN1_INTEGER_free>>;
using Asn1TimePtr = std::unique_ptr<ASN1_TIME, OsslDeleter<ASN1_TIME_free>>;
using DistPointsPtr = std::unique_ptr<CRL_DIST_POINTS, OsslDeleter<CRL_DIST_POINTS_free>>;
using GeneralNamesPtr = std::unique_ptr<GENERAL_NAMES, OsslDeleter<GENERAL_NAMES_free>>;
using Asn1BitStringPtr = std::unique_ptr<ASN1_BIT_STRING, OsslDeleter<ASN1_BIT_STRING_free>>;

inline void freeX509Stack(STACK_OF(X509) * s) {
    sk_X509_pop_free(s, X509_free);
}
using X509StackPtr = std::unique_ptr<STACK_OF(X509), OsslDeleter<freeX509Stack>>;

} // namespace yx
