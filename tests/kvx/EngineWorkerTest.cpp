// The worker thread: runs the engine off the starting thread, reports progress and its end once
// through the observer, reads the owner's cancel flag, and is joined by its owner.
#include "EngineWorker.h"
#include "DecryptOperation.h"
#include "KvxTestSupport.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <thread>

using namespace yx::kvx;
using namespace kvxtest;

namespace {

struct ThreadObserver : EngineObserver {
    void progress(int percent) override {
        std::unique_lock lock(mu);
        seen.push_back(percent);
        threads.push_back(std::this_thread::get_id());
        if (holdAt >= 0 && percent >= holdAt) {
            // Hold the worker here until the test has asked for a cancel.
            reached = true;
            cv.notify_all();
            cv.wait(lock, [&] { return released; });
        }
    }
    void finished(int result) override {
        std::lock_guard lock(mu);
        ends.push_back(result);
        threads.push_back(std::this_thread::get_id());
    }
    void waitReached() {
        std::unique_lock lock(mu);
        cv.wait(lock, [&] { return reached; });
    }
    void release() {
        std::lock_guard lock(mu);
        released = true;
        cv.notify_all();
    }
    std::mutex mu;
    std::condition_variable cv;
    std::vector<int> seen, ends;
    std::vector<std::thread::id> threads;
    int holdAt = -1;
    bool reached = false, released = false;
};

using Worker = OwnCertTest;

TEST_F(Worker, RunsOnItsOwnThreadAndEndsOnce) {
    const Bytes plain = randomBytes(200000, 1);
    const std::string src = yxtest::writeFile(files.path(), "w.bin", plain);
    ThreadObserver obs;
    {
        EngineWorker worker(obs);
        ASSERT_TRUE(worker.startEncrypt({src, files.file("w.kvx"), &list, "", false, true}));
        EXPECT_FALSE(worker.startEncrypt({src, files.file("w2.kvx"), &list, "", false, true}))
            << "one run per worker";
        EXPECT_EQ(worker.wait(), 0);
    }
    ASSERT_EQ(obs.ends, std::vector<int>{0});
    EXPECT_EQ(obs.seen.back(), 100);
    for (auto id : obs.threads)
        EXPECT_NE(id, std::this_thread::get_id());

    ThreadObserver dec;
    DecryptJob job;
    ASSERT_EQ(prepareDecrypt({files.file("w.kvx"), files.file("w.out"), "", "", false, nullptr}, job), 0);
    EngineWorker worker(dec);
    ASSERT_TRUE(worker.startDecrypt(job));
    EXPECT_EQ(worker.wait(), 0);
    EXPECT_EQ(dec.ends, std::vector<int>{0});
    EXPECT_EQ(yxtest::readFile(files.file("w.out.bin")), plain);
}

TEST_F(Worker, CancelMidRunStopsAfterThePieceThatReported) {
    const Bytes plain = randomBytes(1008 * 1000, 2);
    const std::string src = yxtest::writeFile(files.path(), "c.bin", plain);
    ThreadObserver obs;
    obs.holdAt = 30;
    EngineWorker worker(obs);
    ASSERT_TRUE(worker.startEncrypt({src, files.file("c.kvx"), &list, "", true, false}));
    obs.waitReached();
    worker.cancel();
    EXPECT_TRUE(worker.cancelRequested());
    obs.release();
    EXPECT_EQ(worker.wait(), 208);
    EXPECT_EQ(obs.ends, std::vector<int>{208});
    EXPECT_EQ(obs.seen.back(), 30) << "the run stopped right after the piece that reported";
    EXPECT_FALSE(
        std::filesystem::exists(files.file("c.kvx"))); // what else a cancel leaves: EncryptionEngineTest
}

TEST_F(Worker, DestructorJoinsARunningWorker) {
    const std::string src = yxtest::writeFile(files.path(), "d.bin", randomBytes(300000, 3));
    ThreadObserver obs;
    {
        EngineWorker worker(obs);
        ASSERT_TRUE(worker.startEncrypt({src, files.file("d.kvx"), &list, "", false, true}));
    }
    EXPECT_EQ(obs.ends, std::vector<int>{0}) << "the run had ended when its owner went away";
    ThreadObserver never;
    EngineWorker idle(never);
    EXPECT_EQ(idle.wait(), kCancelled);
    EXPECT_TRUE(never.ends.empty());
}

} // namespace
