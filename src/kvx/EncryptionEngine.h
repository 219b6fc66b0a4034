// One encryption of a file into an encrypted file for a list of certificates, or one
// decryption of an encrypted file with the user's private key. A run counts its input in
// 1008-byte pieces, reports progress as an integer percentage only when it changes and reads the
// cancel flag between pieces. It moves the payload in large chunks through a few threads, so
// that reading, the cipher and writing overlap and decryption uses every core (CBC decryption
// of a block needs only the ciphertext block before it; encryption is one chain, so it gets one
// cipher thread). Memory stays bounded by a fixed number of chunks whatever the file size.
// Messages reach the user through yx::prompt().
#pragma once

#include "EngineResult.h"
#include "KvxFormat.h"
#include "RecipientKeys.h"
#include "TripleDesStream.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

class CCertList;

namespace yx::kvx {

class ChunkPipeline;

inline constexpr size_t kPieceSize = 1008;              // 126 blocks of input per step
inline constexpr size_t kOutputBufferSize = 1200;       // room for a piece and its padding
inline constexpr size_t kChunkSize = kPieceSize * 1024; // about 1 MB: whole pieces, whole blocks

// How a run spreads its work. The defaults suit every caller; tests and benchmarks change them
// to compare the ways.
struct RunTuning {
    // Cipher threads of a decryption: 0 = one per core. 1 = no threads at all: the run goes
    // piece by piece on its own thread (encryption too).
    unsigned threads = 0;
    size_t chunkSize = kChunkSize; // rounded down to whole pieces
};

// Told about a run's progress and end; the progress dialog and the command-line tool both
// implement it. Called on the thread that runs the engine.
class EngineObserver {
public:
    virtual ~EngineObserver() = default;
    virtual void progress(int percent) = 0; // only when the integer percentage changed
    virtual void finished(int result) = 0;  // once, at the very end of a run
};

struct EncryptJob {
    std::string source;
    std::string target;
    const CCertList* certificates = nullptr; // borrowed for the run
    std::string password;                    // empty = no protection password
    bool deleteSource = false;               // delete the source after a successful encryption
    bool quiet = false;                      // no "加密成功！" at the end
    RunTuning tuning{};
};

struct DecryptJob {
    std::string source;
    std::string target;
    std::string password;               // non-empty: checked before anything is written
    uint64_t dataOffset = 0;            // the payload's start, from the decrypt head reader
    RecordBytes record{};               // a copy of the chosen recipient record
    bool askToOpen = true;              // ask "解密成功，是否打开解密文件？" at the end
    RecipientKeySource* keys = nullptr; // null = the personal store
    RunTuning tuning{};
};

class CEncryptionEngine {
public:
    // observer and cancel may be null.
    CEncryptionEngine(EngineObserver* observer, const std::atomic<int>* cancel);

    // Both return the run's result code (EngineResult); the message of the code has been shown.
    int encrypt(const EncryptJob& job);
    int decrypt(const DecryptJob& job);

private:
    int encryptRun(const EncryptJob& job);
    int decryptRun(const DecryptJob& job);
    // The payload loops (EnginePayload.cpp): 0 when the final piece went through, else a code.
    int encryptPieces(std::FILE* src, std::FILE* dst, const TripleDesKey& key);
    int encryptChunks(std::FILE* src, std::FILE* dst, const TripleDesKey& key, const RunTuning& tuning);
    int decryptPieces(std::FILE* src, std::FILE* dst, uint64_t length, const TripleDesKey& key);
    int decryptChunks(std::FILE* src, std::FILE* dst, uint64_t length, const TripleDesKey& key,
                      const RunTuning& tuning);
    int pump(ChunkPipeline& pipe, std::FILE* src, std::FILE* dst, std::optional<uint64_t> limit,
             size_t chunkSize, bool inPlace);
    // Progress and cancel for `bytes` written, piece by piece; true when the run is cancelled.
    bool account(uint64_t bytes, bool final);
    void reset(uint64_t total);
    void advance(uint64_t bytes);
    bool cancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed) != 0; }

    EngineObserver* m_observer;
    const std::atomic<int>* m_cancel;
    uint64_t m_total = 0;
    uint64_t m_done = 0;
    int m_shown = 0;
};

} // namespace yx::kvx
