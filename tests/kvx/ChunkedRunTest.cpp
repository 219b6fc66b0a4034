// Runs in chunks through cipher threads against the run piece by piece on one thread: the same
// bytes, result codes and progress steps for sizes around chunk and block boundaries, damaged
// and cut payloads, a wrong size field, and a cancel in the middle.
#include "CertList.h"
#include "DecryptOperation.h"
#include "EncryptionEngine.h"
#include "KvxTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

using namespace yx::kvx;
using namespace kvxtest;

namespace {

constexpr size_t kPayloadStart = 664 + 1688; // one recipient record

// Small chunks, so that a few kilobytes cross several chunk boundaries.
const std::vector<RunTuning> kTunings = {
    {1, kChunkSize},          // piece by piece: the reference
    {2, 2 * kPieceSize},      // two threads, two pieces a chunk
    {3, kPieceSize},          // more threads than cores, one piece a chunk
    {0, 5 * kPieceSize + 100} // one thread per core; the size rounds down to whole pieces
};

struct Observer : EngineObserver {
    explicit Observer(std::atomic<int>* f, int at) : flag(f), cancelAt(at) {}
    void progress(int percent) override {
        seen.push_back(percent);
        if (flag && percent >= cancelAt)
            *flag = 1;
    }
    void finished(int) override {}
    std::atomic<int>* flag;
    int cancelAt;
    std::vector<int> seen;
};

struct Outcome {
    int rc = -1;
    Bytes output;
    std::vector<int> seen;
    bool operator==(const Outcome&) const = default;
};

class ChunkedRun : public OwnCertTest {
protected:
    // A protected file: its session key comes from the password, so every run writes the same
    // payload for the same source.
    Bytes encrypted(const Bytes& plain, const RunTuning& tuning) {
        const std::string src = yxtest::writeFile(files.path(), "plain.txt", plain);
        EncryptJob job{src, files.file("made.kvx"), &list, "pw", false, true, tuning};
        EXPECT_EQ(CEncryptionEngine(nullptr, nullptr).encrypt(job), 0);
        return yxtest::readFile(files.file("made.kvx"));
    }

    Outcome decrypted(const Bytes& file, const RunTuning& tuning, int cancelAt = -1) {
        const std::string src = yxtest::writeFile(files.path(), "in.kvx", file);
        DecryptJob job;
        EXPECT_EQ(prepareDecrypt({src, files.file("out"), "pw", "", false, nullptr}, job), 0);
        job.tuning = tuning;
        std::atomic<int> flag{0};
        Observer obs(cancelAt >= 0 ? &flag : nullptr, cancelAt);
        Outcome o;
        o.rc = CEncryptionEngine(&obs, &flag).decrypt(job);
        o.seen = obs.seen;
        const std::string out = files.file("out.txt");
        o.output = yxtest::readFile(out); // empty when there is none
        std::filesystem::remove(out);
        std::filesystem::remove(src);
        // Failed and cancelled runs leave no temporary output behind.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(files.path()),
                                std::filesystem::directory_iterator()),
                  2)
            << "only the source and the made file";
        return o;
    }
};

TEST_F(ChunkedRun, EncryptionGivesThePiecePayloadAndDecryptionTheSource) {
    // Payloads (source rounded up to the next block) of one block, one chunk and a block either
    // side, several chunks exactly and not.
    for (size_t size :
         {size_t(1), size_t(7), size_t(8), size_t(1007), size_t(1008), size_t(2015), size_t(2016),
          size_t(2023), size_t(5039), size_t(5040), size_t(5047), size_t(30001)}) {
        const Bytes plain = randomBytes(size, static_cast<unsigned>(size));
        const Bytes reference = encrypted(plain, kTunings[0]);
        for (const RunTuning& t : kTunings) {
            const Bytes made = encrypted(plain, t);
            ASSERT_EQ(made.size(), reference.size()) << size;
            EXPECT_TRUE(
                std::equal(made.begin() + kPayloadStart, made.end(), reference.begin() + kPayloadStart))
                << size << " bytes, " << t.threads << " threads";
            const Outcome o = decrypted(reference, t);
            EXPECT_EQ(o.rc, 0) << size;
            EXPECT_TRUE(o.output == plain) << size << " bytes, " << t.threads << " threads";
            EXPECT_EQ(o.seen, decrypted(reference, kTunings[0]).seen) << size;
        }
    }
}

TEST_F(ChunkedRun, DamagedCutAndMislabelledFilesEndAsThePieceRunEnds) {
    const Bytes plain = randomBytes(9000, 3);
    const Bytes good = encrypted(plain, kTunings[0]);
    const size_t last = good.size() - 8;
    auto flipped = [&](size_t at) {
        Bytes b = good;
        b[at] ^= 0x40;
        return b;
    };
    auto cut = [&](size_t n) { return Bytes(good.begin(), good.end() - static_cast<long>(n)); };
    Bytes wrongSize = good;
    std::memset(&wrongSize[276], 0x7f, 4); // the header's size field
    struct Case {
        const char* what;
        Bytes file;
        int rc;
    };
    const std::vector<Case> cases = {
        {"a block inside a chunk", flipped(kPayloadStart + 3 * 1008 + 17), 0},
        {"the first block of a chunk", flipped(kPayloadStart + 2 * 1008), 0},
        {"the last block's padding", flipped(last + 7), 203},
        {"cut inside a block", cut(3), 203},
        {"a payload shorter than a block", Bytes(good.begin(), good.begin() + kPayloadStart + 5), 203},
        {"a wrong size field", wrongSize, 0},
    };
    for (const Case& c : cases) {
        const Outcome reference = decrypted(c.file, kTunings[0]);
        EXPECT_EQ(reference.rc, c.rc) << c.what;
        for (const RunTuning& t : kTunings)
            EXPECT_TRUE(decrypted(c.file, t) == reference) << c.what << ", " << t.threads << " threads";
    }
    // The size field does not hold the file back, and a damaged block garbles only itself and
    // the one after it.
    EXPECT_TRUE(decrypted(wrongSize, kTunings[1]).output == plain);
    const Bytes garbled = decrypted(cases[0].file, kTunings[1]).output;
    ASSERT_EQ(garbled.size(), plain.size());
    size_t differing = 0;
    for (size_t i = 0; i < plain.size(); ++i)
        differing += garbled[i] != plain[i];
    EXPECT_GT(differing, 1u);
    EXPECT_LE(differing, 9u);
}

TEST_F(ChunkedRun, CancelInTheMiddleStopsAtTheSameStepAndWritesNothing) {
    const Bytes plain = randomBytes(100 * 1008, 4);
    const Bytes file = encrypted(plain, kTunings[0]);
    const Outcome reference = decrypted(file, kTunings[0], 40);
    EXPECT_EQ(reference.rc, 208);
    ASSERT_FALSE(reference.seen.empty());
    EXPECT_EQ(reference.seen.back(), 40);
    for (const RunTuning& t : kTunings)
        EXPECT_TRUE(decrypted(file, t, 40) == reference) << t.threads << " threads";
    EXPECT_TRUE(prompt.texts().empty()) << "a cancel shows no message";
}

} // namespace
