#include "TripleDesStream.h"

#include <climits>

namespace yx::kvx {

bool TripleDesStream::begin(const TripleDesKey& key, bool encrypt) {
    m_key = key;
    m_encrypt = encrypt;
    m_ctx.reset(EVP_CIPHER_CTX_new());
    if (!m_ctx)
        return false;
    static const unsigned char zeroIv[kBlockSize] = {};
    return EVP_CipherInit_ex(m_ctx.get(), EVP_des_ede3_cbc(), nullptr, m_key.data(), zeroIv,
                             encrypt ? 1 : 0) == 1;
}

bool TripleDesStream::restart() {
    static const unsigned char zeroIv[kBlockSize] = {};
    return EVP_CipherInit_ex(m_ctx.get(), nullptr, nullptr, m_key.data(), zeroIv, m_encrypt ? 1 : 0) == 1;
}

bool TripleDesStream::update(const unsigned char* in, size_t inLen, bool final, unsigned char* out,
                             size_t& outLen) {
    outLen = 0;
    if (!m_ctx || inLen > static_cast<size_t>(INT_MAX - kBlockSize))
        return false;
    int n = 0;
    if (inLen > 0 && EVP_CipherUpdate(m_ctx.get(), out, &n, in, static_cast<int>(inLen)) != 1)
        return false;
    outLen = static_cast<size_t>(n);
    if (!final)
        return true;
    int tail = 0;
    const bool ok = EVP_CipherFinal_ex(m_ctx.get(), out + outLen, &tail) == 1;
    if (ok)
        outLen += static_cast<size_t>(tail);
    // The key's chain starts afresh after a final piece, whatever the outcome.
    return restart() && ok;
}

} // namespace yx::kvx
