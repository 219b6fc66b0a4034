#include "EngineWorker.h"

#include <system_error>

namespace yx::kvx {

EngineWorker::EngineWorker(EngineObserver& observer) : m_observer(observer) {}

EngineWorker::~EngineWorker() {
    wait();
}

template <typename Job> bool EngineWorker::start(Job job, int (CEncryptionEngine::*run)(const Job&)) {
    if (m_started)
        return false;
    try {
        m_thread = std::thread([this, job = std::move(job), run] {
            int result = kFileIo;
            try {
                CEncryptionEngine engine(&m_observer, &m_cancel);
                result = (engine.*run)(job);
            } catch (...) {
                result = kFileIo; // out of memory and the like: the run failed, the thread ends cleanly
            }
            m_result.store(result);
            m_observer.finished(result);
        });
    } catch (const std::system_error&) {
        return false;
    }
    m_started = true;
    return true;
}

bool EngineWorker::startEncrypt(EncryptJob job) {
    return start(std::move(job), &CEncryptionEngine::encrypt);
}

bool EngineWorker::startDecrypt(DecryptJob job) {
    return start(std::move(job), &CEncryptionEngine::decrypt);
}

int EngineWorker::wait() {
    if (m_thread.joinable())
        m_thread.join();
    return m_result.load();
}

} // namespace yx::kvx
