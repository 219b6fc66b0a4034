// One encryption of a file into an encrypted file for a list of certificates, or one
// decryption of an encrypted file with the user's private key. A run reads its input in
// 1008-byte pieces, reports progress as an integer percentage only when it changes, reads the
// cancel flag between pieces, and keeps memory bounded by one piece (plus fixed I/O buffers)
// whatever the file size. Messages reach the user through yx::prompt().
#pragma once

#include "EngineResult.h"
#include "KvxFormat.h"
#include "RecipientKeys.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

class CCertList;

namespace yx::kvx {

inline constexpr size_t kPieceSize = 1008;        // 126 blocks of input per step
inline constexpr size_t kOutputBufferSize = 1200; // room for a piece and its padding

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
};

struct DecryptJob {
    std::string source;
    std::string target;
    std::string password;    // non-empty: checked before anything is written
    uint64_t dataOffset = 0; // the payload's start, from the decrypt head reader
    RecordBytes record{};    // a copy of the chosen recipient record
    // The header's source size. When set, an output of another length (modulo 2^32, as the
    // field holds) is refused as a damaged file instead of being left as the target: the head
    // was misread (a payload that happens to begin with a record tag) or the payload was cut.
    std::optional<uint32_t> expectedSize;
    bool askToOpen = true;              // ask "解密成功，是否打开解密文件？" at the end
    RecipientKeySource* keys = nullptr; // null = the personal store
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
