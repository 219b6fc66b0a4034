// The payload loops of a run: piece by piece on the run's own thread, or in chunks through a
// ChunkPipeline. Both give the same bytes, the same progress steps and the same result codes.
#include "ChunkPipeline.h"
#include "EncryptionEngine.h"
#include "SafeFile.h"
#include "TripleDesChunkDecryptor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

namespace yx::kvx {
namespace {

constexpr unsigned kMaxThreads = 8;
constexpr size_t kEncryptSlots = 4; // one being read, one in the cipher, one being written, one spare
constexpr uint64_t kWriteBackStep = 8 << 20; // written bytes handed to the disk at a time

size_t wholePieces(size_t chunkSize) {
    return std::max(kPieceSize, chunkSize / kPieceSize * kPieceSize);
}

} // namespace

int CEncryptionEngine::encryptPieces(std::FILE* src, std::FILE* dst, const TripleDesKey& key) {
    TripleDesStream cipher;
    if (!cipher.begin(key, true))
        return kCryptCall;
    unsigned char piece[kPieceSize];
    unsigned char output[kOutputBufferSize];
    for (;;) {
        const size_t n = std::fread(piece, 1, sizeof piece, src);
        if (std::ferror(src))
            return kFileIo;
        const bool final = std::feof(src) != 0;
        size_t outLen = 0;
        if (!cipher.update(piece, n, final, output, outLen))
            return kCryptCall;
        if (std::fwrite(output, 1, outLen, dst) != outLen)
            return kFileIo;
        advance(n);
        if (final)
            break;
        if (cancelled())
            return kCancelled;
    }
    OPENSSL_cleanse(piece, sizeof piece);
    return kResultOk;
}

int CEncryptionEngine::decryptPieces(std::FILE* src, std::FILE* dst, uint64_t length,
                                     const TripleDesKey& key) {
    TripleDesStream cipher;
    if (!cipher.begin(key, false))
        return kCryptCall;
    // The piece that reaches the payload's end is the final one, so a payload of a whole number
    // of pieces still has its padding removed.
    uint64_t remaining = length;
    unsigned char piece[kPieceSize];
    unsigned char output[kPieceSize + TripleDesStream::kBlockSize];
    for (;;) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(kPieceSize, remaining));
        const size_t n = std::fread(piece, 1, want, src);
        if (std::ferror(src))
            return kFileIo;
        remaining -= n;
        const bool final = remaining == 0 || std::feof(src) != 0 || n < want;
        size_t outLen = 0;
        if (!cipher.update(piece, n, final, output, outLen))
            return kCryptCall;
        if (outLen > 0 && std::fwrite(output, 1, outLen, dst) != outLen)
            return kFileIo;
        OPENSSL_cleanse(output, outLen);
        advance(n);
        if (final)
            break;
        if (cancelled())
            return kCancelled;
    }
    return kResultOk;
}

int CEncryptionEngine::encryptChunks(std::FILE* src, std::FILE* dst, const TripleDesKey& key,
                                     const RunTuning& tuning) {
    const size_t chunk = wholePieces(tuning.chunkSize);
    // One cipher thread keeps the chain in order; this thread reads ahead and writes behind it.
    ChunkPipeline pipe(1, kEncryptSlots, chunk, chunk + TripleDesStream::kBlockSize, [&key] {
        auto stream = std::make_shared<TripleDesStream>();
        const bool ready = stream->begin(key, true);
        return ChunkPipeline::Transform([stream, ready](Chunk& c) {
            return ready && stream->update(c.data.data(), c.length, c.final, c.out.data(), c.outLength);
        });
    });
    if (pipe.threads() == 0)
        return encryptPieces(src, dst, key);
    return pump(pipe, src, dst, std::nullopt, chunk, false);
}

int CEncryptionEngine::decryptChunks(std::FILE* src, std::FILE* dst, uint64_t length, const TripleDesKey& key,
                                     const RunTuning& tuning) {
    const size_t chunk = wholePieces(tuning.chunkSize);
    unsigned threads = tuning.threads ? tuning.threads : std::max(1u, std::thread::hardware_concurrency());
    // No more threads than chunks, so a small file starts one thread only.
    threads = static_cast<unsigned>(std::min<uint64_t>({threads, kMaxThreads, length / chunk + 1}));
    ChunkPipeline pipe(threads, 2 * threads + 2, chunk, 0, [&key] {
        auto decryptor = std::make_shared<TripleDesChunkDecryptor>();
        const bool ready = decryptor->begin(key);
        return ChunkPipeline::Transform(
            [decryptor, ready](Chunk& c) { return ready && decryptor->decrypt(c); });
    });
    if (pipe.threads() == 0)
        return decryptPieces(src, dst, length, key);
    return pump(pipe, src, dst, length, chunk, true);
}

int CEncryptionEngine::pump(ChunkPipeline& pipe, std::FILE* src, std::FILE* dst,
                            std::optional<uint64_t> limit, size_t chunkSize, bool inPlace) {
    constexpr size_t B = TripleDesStream::kBlockSize;
    unsigned char carry[B] = {}; // the last ciphertext block read so far
    bool inputEnded = false;
    // The output goes to the disk while the cipher works, so the commit's flush at the end does not
    // wait for the whole file.
    const long start = std::ftell(dst);
    uint64_t written = 0, handedOver = 0;
    for (;;) {
        // Read ahead into every free slot.
        while (!inputEnded) {
            Chunk* c = pipe.freeSlot();
            if (!c)
                break;
            const size_t want =
                limit ? static_cast<size_t>(std::min<uint64_t>(chunkSize, *limit)) : chunkSize;
            const size_t n = want > 0 ? std::fread(c->data.data(), 1, want, src) : 0;
            c->length = n;
            c->readFailed = std::ferror(src) != 0;
            if (limit)
                *limit -= n;
            // Short of what was asked means the end of the file.
            c->final = c->readFailed || n < want || (limit && *limit == 0);
            std::memcpy(c->previous, carry, B);
            if (n >= B)
                std::memcpy(carry, c->data.data() + n - B, B);
            inputEnded = c->final;
            pipe.submit();
        }
        // Write the oldest chunk once it is through the cipher; its failures count in order.
        Chunk* c = pipe.oldestDone();
        if (!c)
            return kFileIo;
        if (c->readFailed)
            return kFileIo;
        if (!c->ok) {
            // Only the last piece of the payload can fail; the pieces before it count.
            const size_t before = c->length - std::min(c->length, (c->length - 1) % kPieceSize + 1);
            return before > 0 && account(before, false) ? kCancelled : kCryptCall;
        }
        const unsigned char* out = inPlace ? c->data.data() : c->out.data();
        if (c->outLength > 0 && std::fwrite(out, 1, c->outLength, dst) != c->outLength)
            return kFileIo;
        written += c->outLength;
        if (start >= 0 && written - handedOver >= kWriteBackStep && std::fflush(dst) == 0) {
            startWriteBack(::fileno(dst), static_cast<uint64_t>(start) + handedOver, written - handedOver);
            handedOver = written;
        }
        const size_t length = c->length;
        const bool final = c->final;
        pipe.release();
        if (account(length, final))
            return kCancelled;
        if (final)
            return kResultOk;
    }
}

bool CEncryptionEngine::account(uint64_t bytes, bool final) {
    // Piece by piece, as the loop without threads does, so observers see the same steps.
    for (;;) {
        const uint64_t n = std::min<uint64_t>(bytes, kPieceSize);
        bytes -= n;
        advance(n);
        if (bytes == 0 && final)
            return false;
        if (cancelled())
            return true;
        if (bytes == 0)
            return false;
    }
}

} // namespace yx::kvx
