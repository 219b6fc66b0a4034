// Triple DES CBC decryption of one chunk of a payload, independently of the other chunks: a
// CBC block needs only the ciphertext block before it, so chunks that start on a block boundary
// decrypt in any order and on any thread. The result is byte for byte what TripleDesStream
// gives over the whole payload, the padding of the last block checked and removed the same way.
#pragma once

#include "ChunkPipeline.h"
#include "OpenSslHolders.h"
#include "TripleDesStream.h"

namespace yx::kvx {

class TripleDesChunkDecryptor {
public:
    // False when the cipher cannot be set up.
    bool begin(const TripleDesKey& key);

    // Decrypts chunk.data[0, length) in place, chaining from chunk.previous (zeros for the
    // first chunk). A non-final chunk must be a whole number of blocks. At the final chunk the
    // padding is checked and removed; outLength receives the plaintext's length. False for bad
    // padding, a final chunk that is empty or no whole number of blocks, or a failing call.
    bool decrypt(Chunk& chunk);

private:
    bool run(const unsigned char* iv, bool padding, unsigned char* data, size_t length, size_t& outLength);

    EvpCipherCtxPtr m_ctx;
};

} // namespace yx::kvx
