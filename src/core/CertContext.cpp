#include "CertContext.h"

#include "DerBytes.h"
#include "SafeFile.h"

#include <openssl/pem.h>

namespace yx {

std::shared_ptr<CertContext> CertContext::fromDer(const unsigned char* data, size_t len) {
    if (!data || len == 0 || len > (1u << 24))
        return nullptr;
    const unsigned char* p = data;
    X509Ptr x(d2i_X509(nullptr, &p, static_cast<long>(len)));
    if (!x || p != data + len)
        return nullptr; // not a certificate, or trailing bytes
    auto ctx = std::make_shared<CertContext>();
    ctx->x509 = std::move(x);
    ctx->der.assign(data, data + len);
    return ctx;
}

std::shared_ptr<CertContext> CertContext::fromX509(X509* cert) {
    if (!cert)
        return nullptr;
    const auto der = toDer<i2d_X509>(cert);
    return der.empty() ? nullptr : fromDer(der.data(), der.size());
}

EvpPkeyPtr CertContext::loadPrivateKey() const {
    if (keyPath.empty())
        return nullptr;
    auto bytes = readWholeFile(keyPath, 1u << 20);
    if (!bytes)
        return nullptr;
    BioPtr bio(BIO_new_mem_buf(bytes->data(), static_cast<int>(bytes->size())));
    EvpPkeyPtr key(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
    OPENSSL_cleanse(bytes->data(), bytes->size());
    return key;
}

} // namespace yx
