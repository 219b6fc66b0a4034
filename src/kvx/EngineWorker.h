// The worker thread of one encryption or decryption run. Whoever starts it owns it: the
// destructor waits for the thread, so the run never outlives the data it borrows (the
// certificate list, the observer). Cancellation is a flag the owner sets and the run reads
// between pieces.
#pragma once

#include "EncryptionEngine.h"

#include <atomic>
#include <thread>

namespace yx::kvx {

class EngineWorker {
public:
    explicit EngineWorker(EngineObserver& observer);
    ~EngineWorker(); // joins a running thread
    EngineWorker(const EngineWorker&) = delete;
    EngineWorker& operator=(const EngineWorker&) = delete;

    // Start one run; false when a run was started before or no thread can be created. The
    // observer hears progress and, once at the end, finished(result) on the worker thread.
    bool startEncrypt(EncryptJob job);
    bool startDecrypt(DecryptJob job);

    void cancel() { m_cancel.store(1, std::memory_order_relaxed); }
    bool cancelRequested() const { return m_cancel.load(std::memory_order_relaxed) != 0; }
    // Waits for the run to end; returns its result (kCancelled when it never started).
    int wait();

private:
    template <typename Job> bool start(Job job, int (CEncryptionEngine::*run)(const Job&));

    EngineObserver& m_observer;
    std::atomic<int> m_cancel{0};
    std::atomic<int> m_result{kCancelled};
    std::thread m_thread;
    bool m_started = false;
};

} // namespace yx::kvx
