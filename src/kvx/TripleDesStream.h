// Triple DES in CBC mode as CryptoAPI's CALG_3DES key does it: the chain starts from an IV of
// eight zero bytes, continues from piece to piece, and restarts after a final piece; PKCS#5
// padding is added on encryption and checked and removed on decryption at the final piece.
#pragma once

#include "OpenSslHolders.h"

#include <array>
#include <cstddef>

namespace yx::kvx {

using TripleDesKey = std::array<unsigned char, 24>;

class TripleDesStream {
public:
    static constexpr size_t kBlockSize = 8;

    // False when the cipher cannot be set up.
    bool begin(const TripleDesKey& key, bool encrypt);

    // One piece, like CryptEncrypt/CryptDecrypt. `out` must hold inLen + kBlockSize bytes;
    // outLen receives what came out (decryption holds the last block back until the final
    // piece). False when the cipher call fails (bad padding or a length that is no whole
    // number of blocks at a final decryption); the stream must then be begun again.
    bool update(const unsigned char* in, size_t inLen, bool final, unsigned char* out, size_t& outLen);

private:
    bool restart();

    EvpCipherCtxPtr m_ctx;
    TripleDesKey m_key{};
    bool m_encrypt = true;
};

} // namespace yx::kvx
