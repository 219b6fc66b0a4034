// StoreStepLoader: reads a certificate store on a worker thread of its own and hands the entries
// over in batches, so a list can show its first screen while the rest of a large store is read.
// After the entries it can check their revocation status in store order, in one
// RevocationSession (a CRL shared by many certificates is fetched once). The worker only reads
// the contexts it made; the owner takes what has arrived with take() on its own thread.
// Cancelling sets a flag the worker reads between certificates; the destructor cancels and joins,
// so no thread outlives its loader.
#pragma once

#include "CertStore.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace yx {

class StoreStepLoader {
public:
    struct Options {
        size_t batchSize = 200;
        bool checkRevocation = false;
        bool online = false; // revocation checks may fetch CRLs
    };
    // Called on the worker thread when something new waits to be taken (once until it is taken).
    using WakeFn = std::function<void()>;

    StoreStepLoader(std::shared_ptr<CertStoreBackend> backend, const Options& options, WakeFn wake);
    ~StoreStepLoader();
    StoreStepLoader(const StoreStepLoader&) = delete;
    StoreStepLoader& operator=(const StoreStepLoader&) = delete;

    // What arrived since the last take().
    struct Step {
        bool opened = false;               // the store could be read: the entries follow (this take or later)
        bool finished = false;             // nothing more will arrive
        bool failed = false;               // the store could not be read (then finished, never opened)
        std::vector<StoreEntry> entries;   // the next entries in store order
        size_t statusFrom = 0;             // store index of statuses[0]
        std::vector<std::string> statuses; // status texts, in store order
    };
    Step take();

    // Stops the worker at its next certificate; later results are dropped.
    void cancel() { m_cancel.store(true, std::memory_order_relaxed); }
    bool cancelled() const { return m_cancel.load(std::memory_order_relaxed); }
    // The worker has ended: destroying the loader does not wait.
    bool workerDone() const { return m_done.load(std::memory_order_acquire); }

private:
    void run(std::shared_ptr<CertStoreBackend> backend, Options options);
    void publish(const std::function<void(Step&)>& change);

    WakeFn m_wake;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_done{false};
    std::mutex m_mutex; // guards m_pending and m_woken
    bool m_woken = false;
    Step m_pending;
    bool m_openedTaken = false; // owner side: `opened` reported once
    std::thread m_worker;       // last: started when everything else is ready
};

} // namespace yx
