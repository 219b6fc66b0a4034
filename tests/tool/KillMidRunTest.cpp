// A run killed with SIGKILL halfway through a 200 MB file leaves the folder as it was: no partial
// target, no temporary file, the source unchanged. The real yaoxia-tool runs as a child process.
#include "People.h"
#include "TestPki.h"
#include "ToolRunner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace yxtest;

namespace {

constexpr size_t kSize = 200u << 20;

std::set<std::string> namesIn(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

// A cheap checksum over the whole file, to see that the source did not change.
uint64_t checksum(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    std::vector<unsigned char> buf(1u << 20);
    uint64_t sum = 1469598103934665603ull;
    for (ssize_t n; (n = ::read(fd, buf.data(), buf.size())) > 0;)
        for (ssize_t i = 0; i < n; i += 64)
            sum = (sum ^ buf[static_cast<size_t>(i)]) * 1099511628211ull;
    ::close(fd);
    return sum;
}

// Bytes the child has written so far (from /proc/PID/io).
uint64_t bytesWritten(pid_t pid) {
    std::FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/io").c_str(), "r");
    unsigned long long written = 0;
    char line[128];
    while (f && std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "wchar: %llu", &written) == 1)
            break;
    if (f)
        std::fclose(f);
    return written;
}

// Starts yaoxia-tool with `args`, kills it once it has written a quarter of the file; true when it
// was still running then.
bool killHalfway(std::vector<std::string> args) {
    args.insert(args.begin(), std::string(YAOXIA_BINARY_DIR) + "/src/app/yaoxia-tool");
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    bool running = true;
    while (bytesWritten(pid) < kSize / 4 && std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            running = false;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (running) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    return running;
}

class KillMidRun : public ::testing::Test {
protected:
    void SetUp() override {
        me = people.person("王五", "", 1);
        ASSERT_TRUE(addToStore("my", me));
        Bytes chunk(1u << 20);
        for (size_t i = 0; i < chunk.size(); ++i)
            chunk[i] = static_cast<unsigned char>(i * 131 + i / 977);
        const int fd = ::open(files.file("big.bin").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        for (size_t done = 0; done < kSize; done += chunk.size()) {
            chunk[0] = static_cast<unsigned char>(done >> 20);
            ASSERT_EQ(::write(fd, chunk.data(), chunk.size()), ssize_t(chunk.size()));
        }
        ::close(fd);
    }
    ScopedDataRoot root;
    TempDir files;
    People people;
    Issued me;
};

TEST_F(KillMidRun, EncryptingAndDecryptingLeaveNothingBehind) {
    const std::string source = files.file("big.bin");
    const uint64_t sum = checksum(source);
    ASSERT_TRUE(killHalfway({"encrypt", source, files.file("big.bin.kvx"), "--to", thumbOf(me)}));
    EXPECT_EQ(namesIn(files.path()), std::set<std::string>{"big.bin"});
    EXPECT_EQ(checksum(source), sum);

    ASSERT_EQ(tool({"encrypt", source, files.file("big.bin.kvx"), "--to", thumbOf(me)}).status, 0);
    const uint64_t encrypted = checksum(files.file("big.bin.kvx"));
    ASSERT_TRUE(killHalfway({"decrypt", files.file("big.bin.kvx"), files.file("out.bin")}));
    EXPECT_EQ(namesIn(files.path()), (std::set<std::string>{"big.bin", "big.bin.kvx"}));
    EXPECT_EQ(checksum(files.file("big.bin.kvx")), encrypted);
}

} // namespace
