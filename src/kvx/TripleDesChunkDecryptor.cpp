#include "TripleDesChunkDecryptor.h"

#include <climits>
#include <cstring>

namespace yx::kvx {

bool TripleDesChunkDecryptor::begin(const TripleDesKey& key) {
    m_ctx.reset(EVP_CIPHER_CTX_new());
    return m_ctx && EVP_DecryptInit_ex(m_ctx.get(), EVP_des_ede3_cbc(), nullptr, key.data(), nullptr) == 1;
}

bool TripleDesChunkDecryptor::run(const unsigned char* iv, bool padding, unsigned char* data, size_t length,
                                  size_t& outLength) {
    outLength = 0;
    if (length > static_cast<size_t>(INT_MAX))
        return false;
    int n = 0, tail = 0;
    if (EVP_DecryptInit_ex(m_ctx.get(), nullptr, nullptr, nullptr, iv) != 1 ||
        EVP_CIPHER_CTX_set_padding(m_ctx.get(), padding ? 1 : 0) != 1 ||
        (length > 0 && EVP_DecryptUpdate(m_ctx.get(), data, &n, data, static_cast<int>(length)) != 1) ||
        EVP_DecryptFinal_ex(m_ctx.get(), data + n, &tail) != 1)
        return false;
    outLength = static_cast<size_t>(n) + static_cast<size_t>(tail);
    return true;
}

bool TripleDesChunkDecryptor::decrypt(Chunk& chunk) {
    constexpr size_t B = TripleDesStream::kBlockSize;
    chunk.outLength = 0;
    if (!m_ctx || chunk.length % B != 0)
        return false;
    if (!chunk.final) {
        size_t n = 0;
        if (!run(chunk.previous, false, chunk.data.data(), chunk.length, n) || n != chunk.length)
            return false;
        chunk.outLength = n;
        return true;
    }
    // The final chunk: every block but the last without padding, then the last block alone
    // with its padding checked, chained from the ciphertext block before it (kept aside, as the
    // first step overwrites it).
    if (chunk.length == 0)
        return false;
    const size_t body = chunk.length - B;
    unsigned char chain[B];
    std::memcpy(chain, body > 0 ? chunk.data.data() + body - B : chunk.previous, B);
    size_t n = 0, last = 0;
    if (body > 0 && (!run(chunk.previous, false, chunk.data.data(), body, n) || n != body))
        return false;
    // The padded block decrypts into a block-sized buffer: with padding on, the cipher may write
    // a whole block before it strips the padding.
    unsigned char block[2 * B];
    std::memcpy(block, chunk.data.data() + body, B);
    const bool ok = run(chain, true, block, B, last);
    if (ok)
        std::memcpy(chunk.data.data() + body, block, last);
    OPENSSL_cleanse(block, sizeof block);
    chunk.outLength = ok ? body + last : 0;
    return ok;
}

} // namespace yx::kvx
