// Several files as one job: a bad file fails alone with its reason while the good ones are
// written, no more files run at once than allowed, and a cancel stops the running file without
// a target, starts no more and keeps what was written.
#include "FileBatch.h"
#include "KvxTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <set>

using namespace yx::kvx;
using namespace kvxtest;

namespace {

struct JobObserver : BatchObserver {
    void fileStarted(size_t index) override {
        std::lock_guard lock(mu);
        started.insert(index);
        peak = std::max(peak, static_cast<int>(started.size()));
    }
    void fileProgress(size_t index, int percent) override {
        std::unique_lock lock(mu);
        if (index == holdFile && percent >= 10 && !reached) {
            reached = true; // hold this file's run until the test has cancelled
            cv.notify_all();
            cv.wait(lock, [&] { return released; });
        }
    }
    void fileEnded(size_t index, const BatchOutcome&) override {
        std::lock_guard lock(mu);
        started.erase(index);
    }
    std::mutex mu;
    std::condition_variable cv;
    std::set<size_t> started; // running now
    int peak = 0;
    size_t holdFile = SIZE_MAX;
    bool reached = false, released = false;
};

class Batch : public OwnCertTest {
protected:
    BatchFile file(const std::string& name, const Bytes& content) {
        return {yxtest::writeFile(files.path(), name, content), files.file(name + ".kvx")};
    }
};

TEST_F(Batch, BadFilesFailAloneAndGoodOnesRoundTrip) {
    const std::vector<Bytes> plains = {
        randomBytes(70000, 1), {}, randomBytes(1008 * 3, 2), {}, randomBytes(5, 3)};
    std::vector<BatchFile> job;
    for (size_t i = 0; i < plains.size(); ++i)
        job.push_back(file("f" + std::to_string(i), plains[i]));
    job[3].source = files.file("missing"); // a source that is not there
    job[3].target = files.file("missing.kvx");

    JobObserver obs;
    FileBatch batch(&obs, 2);
    const auto enc = batch.encrypt(job, {&list, "", false});
    const struct {
        size_t file;
        BatchState state;
        std::string reason;
    } table[] = {{0, BatchState::Done, ""},
                 {1, BatchState::Failed, "源文件内容为空！"},
                 {2, BatchState::Done, ""},
                 {3, BatchState::Failed, "您所指定的文件不存在！"},
                 {4, BatchState::Done, ""}};
    for (const auto& row : table) {
        EXPECT_EQ(enc[row.file].state, row.state) << row.file;
        EXPECT_EQ(enc[row.file].reason, row.reason) << row.file;
        EXPECT_EQ(std::filesystem::exists(job[row.file].target), row.state == BatchState::Done) << row.file;
    }
    EXPECT_LE(obs.peak, 2) << "never more runs at once than allowed";
    EXPECT_TRUE(prompt.texts().empty()) << "the runs' messages are their files' reasons, not boxes";

    // Back with the same core; a file that is no encrypted file fails with the reader's reason.
    std::vector<BatchFile> back = {{job[0].target, files.file("b0")},
                                   {yxtest::writeFile(files.path(), "junk.kvx", "junk"), files.file("bj")},
                                   {job[4].target, files.file("b4")}};
    const auto dec = FileBatch(nullptr, 0).decrypt(back, {"unused: no file is protected", ""});
    EXPECT_EQ(dec[1].state, BatchState::Failed);
    EXPECT_FALSE(dec[1].reason.empty());
    EXPECT_EQ(yxtest::readFile(dec[0].written), plains[0]);
    EXPECT_EQ(yxtest::readFile(dec[2].written), plains[4]);
    EXPECT_FALSE(std::filesystem::exists(files.file("bj")));
}

TEST_F(Batch, CancelStopsTheRunningFileAndKeepsWhatWasWritten) {
    std::vector<BatchFile> job = {file("small", randomBytes(3000, 4)),
                                  file("large", randomBytes(1008 * 3000, 5)),
                                  file("later", randomBytes(3000, 6))};
    JobObserver obs;
    obs.holdFile = 1;
    FileBatch batch(&obs, 1);
    ASSERT_TRUE(batch.startEncrypt(job, {&list, "", false}));
    std::unique_lock lock(obs.mu);
    obs.cv.wait(lock, [&] { return obs.reached; });
    batch.cancel();
    obs.released = true;
    obs.cv.notify_all();
    lock.unlock();
    const auto out = batch.wait();
    EXPECT_EQ(out[0].state, BatchState::Done);
    EXPECT_EQ(out[1].state, BatchState::Cancelled);
    EXPECT_EQ(out[2].state, BatchState::Cancelled) << "no file starts after the cancel";
    EXPECT_TRUE(std::filesystem::exists(job[0].target));
    size_t n = 0;
    for (auto& e : std::filesystem::directory_iterator(files.path()))
        n += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(n, 4u) << "three sources and the first one's encrypted file, nothing partial";
}

} // namespace
