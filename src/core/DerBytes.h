// The DER encoding of an OpenSSL object as bytes, through its i2d function, with OpenSSL's own
// copy freed on every path.
#pragma once

#include <openssl/crypto.h>
#include <vector>

namespace yx {

// toDer<i2d_X509>(cert); empty when `obj` is null or cannot be encoded. Secret: OpenSSL's copy is
// wiped before it is freed (private keys).
template <auto I2d, bool Secret = false, typename T> std::vector<unsigned char> toDer(T* obj) {
    unsigned char* der = nullptr;
    const int n = obj ? I2d(obj, &der) : -1;
    std::vector<unsigned char> out;
    if (n > 0)
        out.assign(der, der + n);
    if (Secret && n > 0)
        OPENSSL_clear_free(der, static_cast<size_t>(n));
    else
        OPENSSL_free(der);
    return out;
}

} // namespace yx
