// Several files as one job: each file is a run of its own, up to one run per core goes on at a
// time, and a run that fails stops none of the others (each run writes its own target, and only
// when it succeeds, so nothing another run wrote is lost). The desktop program's progress window
// and `yaoxia-tool encrypt|decrypt` with several sources share this core.
#pragma once

#include "EncryptionEngine.h"
#include "EngineResult.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class CCertList;

namespace yx::kvx {

// Calls run(i) for every i in [0, count), on up to `threads` threads at once (0 = one per core),
// each index once; returns when every call has returned. With one thread (or one file) the
// calls run on the calling thread, in order.
void runEach(size_t count, unsigned threads, const std::function<void(size_t)>& run);

// folder + "/" + the file name of `path` (what follows its last '/' or '\').
std::string pathInFolder(const std::string& folder, const std::string& path);

enum class BatchState { Waiting, Running, Done, Failed, Cancelled, Skipped };

struct BatchFile {
    std::string source;
    // Encryption: the encrypted file. Decryption: the decrypted file before the header's
    // extension is appended; empty = the source without its extension.
    std::string target;
    bool skip = false; // left out by the user (an existing target not to be replaced)
};

struct BatchOutcome {
    BatchState state = BatchState::Waiting;
    int result = kCancelled; // the run's result code
    std::string written;     // the file the run wrote (decryption: with the header's extension)
    std::string reason;      // a failure: the messages its run gave, else the code's message
};

// Told about every file of a job; called on the job's threads, several at once.
class BatchObserver {
public:
    virtual ~BatchObserver() = default;
    virtual void fileStarted(size_t index) = 0;
    virtual void fileProgress(size_t index, int percent) = 0; // only when the percentage changed
    virtual void fileEnded(size_t index, const BatchOutcome& outcome) = 0;
};

// What every file of an encryption job shares.
struct EncryptBatchOptions {
    const CCertList* certificates = nullptr; // borrowed for the job; each run gets its own copy
    std::string password;
    bool deleteSource = false;
};

// What every file of a decryption job shares. The password is given to the protected files
// only; a thumbprint a file has no record for falls back to the first record the user holds.
struct DecryptBatchOptions {
    std::string password;
    std::string certThumbprint;
    RecipientKeySource* keys = nullptr; // null = the personal store; must allow parallel use
};

// One job over several files. Made, started, waited for and destroyed on one thread (the UI
// thread in the desktop program). While it lives, the messages of its runs are not shown: each
// is kept as its file's reason; everything else still reaches the prompt installed before.
class FileBatch {
public:
    explicit FileBatch(BatchObserver* observer = nullptr, unsigned threads = 0);
    ~FileBatch(); // cancels a job still running and waits for it
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;

    // Run the job on the calling thread; the outcome of each file, in the order given.
    std::vector<BatchOutcome> encrypt(const std::vector<BatchFile>& files,
                                      const EncryptBatchOptions& options);
    std::vector<BatchOutcome> decrypt(const std::vector<BatchFile>& files,
                                      const DecryptBatchOptions& options);

    // Run the job on a thread of its own; false when a job was started before or no thread can
    // be made. wait() returns the outcomes once every run has ended.
    bool startEncrypt(std::vector<BatchFile> files, EncryptBatchOptions options);
    bool startDecrypt(std::vector<BatchFile> files, DecryptBatchOptions options);
    std::vector<BatchOutcome> wait();

    // Running files stop between pieces and leave no target; waiting files are not started.
    void cancel() { m_cancel.store(1, std::memory_order_relaxed); }
    bool cancelRequested() const { return m_cancel.load(std::memory_order_relaxed) != 0; }

private:
    class KeptMessages;
    using RunOne = std::function<int(size_t, CEncryptionEngine&, BatchOutcome&)>;
    std::vector<BatchOutcome> runAll(const std::vector<BatchFile>& files, const RunOne& run);
    template <typename Options>
    bool start(std::vector<BatchFile> files, Options options,
               std::vector<BatchOutcome> (FileBatch::*run)(const std::vector<BatchFile>&, const Options&));

    BatchObserver* m_observer;
    unsigned m_threads;
    std::atomic<int> m_cancel{0};
    std::unique_ptr<KeptMessages> m_messages;
    std::thread m_thread;
    std::vector<BatchOutcome> m_outcomes;
};

} // namespace yx::kvx
