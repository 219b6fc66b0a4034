// Large chunks of a payload on their way through a small pool of cipher threads. The thread
// that owns the pipeline reads chunks into free slots and submits them, and takes them back in
// the order it submitted them, so the files are read ahead and written behind while the pool
// works. Memory is bounded by the fixed number of slots, whatever the file size.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace yx::kvx {

struct Chunk {
    std::vector<unsigned char> data; // input; decryption leaves its output here
    std::vector<unsigned char> out;  // output of a transform that does not work in place
    size_t length = 0;               // input bytes in data
    size_t outLength = 0;            // output bytes (in data or out, as the transform says)
    bool final = false;              // the last chunk of the payload
    bool readFailed = false;         // reading it failed: not transformed, ends the run in order
    bool ok = true;                  // the transform succeeded
    unsigned char previous[8] = {};  // the ciphertext block before this chunk
};

class ChunkPipeline {
public:
    using Transform = std::function<bool(Chunk&)>;

    // `makeTransform` runs once on each pool thread, so each has its own cipher state; a pool of
    // one thread transforms the chunks in submission order. `outCapacity` 0 = no out buffer.
    ChunkPipeline(unsigned threads, size_t slots, size_t chunkCapacity, size_t outCapacity,
                  std::function<Transform()> makeTransform);
    ~ChunkPipeline(); // stops the pool after the chunks in hand and joins it
    ChunkPipeline(const ChunkPipeline&) = delete;
    ChunkPipeline& operator=(const ChunkPipeline&) = delete;

    // Threads actually started; 0 when none could be (the caller then works without the pool).
    unsigned threads() const { return static_cast<unsigned>(m_threads.size()); }

    // The slot to fill next, or null while every slot is in flight.
    Chunk* freeSlot();
    // Queues the slot freeSlot() gave.
    void submit();
    // Waits for the oldest submitted chunk; null when nothing is in flight.
    Chunk* oldestDone();
    // The oldest chunk is written: its bytes are wiped and its slot is free again.
    void release();

private:
    enum class State { Free, Queued, Done };
    void work(const std::function<Transform()>& makeTransform);

    std::vector<Chunk> m_slots;
    std::vector<State> m_state;
    uint64_t m_submitted = 0; // chunks submitted so far; slot = index % slots
    uint64_t m_released = 0;  // chunks released so far
    uint64_t m_taken = 0;     // chunks a pool thread has taken
    bool m_stop = false;
    std::mutex m_mutex;
    std::condition_variable m_work; // a chunk queued, or stop
    std::condition_variable m_done; // a chunk transformed
    std::vector<std::thread> m_threads;
};

} // namespace yx::kvx
