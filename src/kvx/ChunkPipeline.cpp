#include "ChunkPipeline.h"

#include <algorithm>
#include <openssl/crypto.h>
#include <system_error>

namespace yx::kvx {

ChunkPipeline::ChunkPipeline(unsigned threads, size_t slots, size_t chunkCapacity, size_t outCapacity,
                             std::function<Transform()> makeTransform)
    : m_slots(slots), m_state(slots, State::Free) {
    for (auto& c : m_slots) {
        c.data.resize(chunkCapacity);
        c.out.resize(outCapacity);
    }
    for (unsigned i = 0; i < threads; ++i) {
        try {
            m_threads.emplace_back([this, makeTransform] { work(makeTransform); });
        } catch (const std::system_error&) {
            break; // fewer threads; the chunks still flow
        }
    }
}

ChunkPipeline::~ChunkPipeline() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_work.notify_all();
    for (auto& t : m_threads)
        t.join();
    for (auto& c : m_slots) {
        OPENSSL_cleanse(c.data.data(), c.data.size());
        OPENSSL_cleanse(c.out.data(), c.out.size());
    }
}

Chunk* ChunkPipeline::freeSlot() {
    std::lock_guard lock(m_mutex);
    if (m_submitted - m_released >= m_slots.size())
        return nullptr;
    Chunk& c = m_slots[m_submitted % m_slots.size()];
    c.length = c.outLength = 0;
    c.final = c.readFailed = false;
    c.ok = true;
    return &c;
}

void ChunkPipeline::submit() {
    {
        std::lock_guard lock(m_mutex);
        m_state[m_submitted % m_slots.size()] = State::Queued;
        ++m_submitted;
    }
    m_work.notify_one();
}

Chunk* ChunkPipeline::oldestDone() {
    std::unique_lock lock(m_mutex);
    if (m_released == m_submitted)
        return nullptr;
    const size_t slot = m_released % m_slots.size();
    m_done.wait(lock, [&] { return m_state[slot] == State::Done; });
    return &m_slots[slot];
}

void ChunkPipeline::release() {
    std::lock_guard lock(m_mutex);
    const size_t slot = m_released % m_slots.size();
    Chunk& c = m_slots[slot];
    // Plaintext does not stay in memory longer than it has to.
    OPENSSL_cleanse(c.data.data(), c.length);
    OPENSSL_cleanse(c.out.data(), std::min(c.outLength, c.out.size()));
    m_state[slot] = State::Free;
    ++m_released;
}

void ChunkPipeline::work(const std::function<Transform()>& makeTransform) {
    const Transform transform = makeTransform();
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_work.wait(lock, [&] { return m_stop || m_taken < m_submitted; });
        if (m_stop)
            return;
        Chunk& c = m_slots[m_taken % m_slots.size()];
        const size_t slot = m_taken % m_slots.size();
        ++m_taken;
        lock.unlock();
        if (!c.readFailed)
            c.ok = transform && transform(c);
        lock.lock();
        m_state[slot] = State::Done;
        m_done.notify_all();
    }
}

} // namespace yx::kvx
