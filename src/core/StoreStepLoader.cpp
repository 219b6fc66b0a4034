#include "StoreStepLoader.h"

#include "DigitalCertificate.h"
#include "Revocation.h"

namespace yx {

StoreStepLoader::StoreStepLoader(std::shared_ptr<CertStoreBackend> backend, const Options& options,
                                 WakeFn wake)
    : m_wake(std::move(wake)),
      m_worker([this, backend = std::move(backend), options] { run(backend, options); }) {}

StoreStepLoader::~StoreStepLoader() {
    cancel();
    if (m_worker.joinable())
        m_worker.join();
}

void StoreStepLoader::publish(const std::function<void(Step&)>& change) {
    bool wake = false;
    {
        std::lock_guard<std::mutex> hold(m_mutex);
        change(m_pending);
        wake = !m_woken;
        m_woken = true;
    }
    if (wake && m_wake)
        m_wake();
}

StoreStepLoader::Step StoreStepLoader::take() {
    std::lock_guard<std::mutex> hold(m_mutex);
    Step out = std::move(m_pending);
    m_pending = Step{};
    m_pending.statusFrom = out.statusFrom + out.statuses.size();
    m_pending.finished = out.finished; // stays reported
    m_pending.failed = out.failed;
    if (out.opened && m_openedTaken)
        out.opened = false;
    m_openedTaken = m_openedTaken || out.opened;
    m_pending.opened = false;
    m_woken = false;
    return out;
}

void StoreStepLoader::run(std::shared_ptr<CertStoreBackend> backend, Options options) {
    std::vector<CertContextPtr> contexts; // for the revocation checks after the entries
    const bool read = backend && backend->loadInSteps(
                                     [&](std::vector<StoreEntry>& batch) {
                                         if (cancelled())
                                             return false;
                                         if (options.checkRevocation)
                                             for (const auto& e : batch)
                                                 contexts.push_back(e.ctx);
                                         publish([&](Step& s) {
                                             s.opened = true;
                                             for (auto& e : batch)
                                                 s.entries.push_back(std::move(e));
                                         });
                                         return !cancelled();
                                     },
                                     options.batchSize);
    if (read && options.checkRevocation && !cancelled()) {
        RevocationSession session; // per thread: this load's fetches are shared here
        std::vector<std::string> done;
        for (size_t i = 0; i < contexts.size() && !cancelled(); ++i) {
            // A private object over the context: the owner's objects stay untouched here.
            CDigitalCertificate cert(contexts[i]);
            std::string status;
            cert.CRLCheck(status, options.online);
            done.push_back(std::move(status));
            if (done.size() >= options.batchSize || i + 1 == contexts.size()) {
                publish([&](Step& s) {
                    for (auto& d : done)
                        s.statuses.push_back(std::move(d));
                });
                done.clear();
            }
        }
    }
    publish([&](Step& s) {
        s.finished = true;
        s.failed = !read;
    });
    m_done.store(true, std::memory_order_release);
}

} // namespace yx
