// Encrypts and decrypts a large file (256 MB unless a size in MB is given, then the number of
// rounds, 3 unless given) with the engine and, in the same run, with
// `openssl enc -des-ede3-cbc` on the same file; prints MB/s and the peak
// memory (max RSS of the child process doing the work, from wait4) of each. The engine runs
// twice: piece by piece on one thread (the previous way) and in chunks through its cipher
// threads. A small file is run as well to show that the engine's memory does not grow with the
// file.
#include "BenchRecipient.h"
#include "CertList.h"
#include "CertStore.h"
#include "DecryptOperation.h"
#include "EncryptionEngine.h"
#include "UserPrompt.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <openssl/rand.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Measure {
    double seconds = 0;    // wall time
    double cpuSeconds = 0; // user + system time of the child: steadier on a shared machine
    long maxRssKb = 0;
    int status = -1;
};

// Runs `work` in a child process; its exit status, wall time and peak memory.
Measure inChild(const std::function<int()>& work) {
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(work());
    Measure m;
    int status = 0;
    struct rusage ru {};
    if (pid < 0 || ::wait4(pid, &status, 0, &ru) != pid)
        return m;
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    m.maxRssKb = ru.ru_maxrss;
    m.cpuSeconds = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
                   static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
    m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return m;
}

int runProgram(std::vector<std::string> argv) {
    std::vector<char*> args;
    for (auto& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    return 127;
}

class Silent : public yx::UserPrompt {
public:
    yx::MsgAnswer message(const std::string& t, const std::string&, yx::MsgIcon, yx::MsgButtons,
                          void*) override {
        std::fprintf(stderr, "message: %s\n", t.c_str());
        return yx::MsgAnswer::Cancel;
    }
    std::optional<std::string> chooseFile(const yx::FileChooserRequest&, void*) override {
        return std::nullopt;
    }
    bool openWithDesktop(const std::string&) override { return false; }
    int runProgram(const std::vector<std::string>&, bool) override { return -1; }
};

void makeFile(const std::string& path, size_t megabytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::vector<unsigned char> block(1 << 20);
    for (size_t i = 0; i < megabytes; ++i) {
        RAND_bytes(block.data(), static_cast<int>(block.size()));
        std::fwrite(block.data(), 1, block.size(), f);
    }
    std::fclose(f);
}

void row(const char* what, size_t mb, const Measure& m) {
    const double size = static_cast<double>(mb);
    std::printf("  %-30s %7.1f MB/s cpu  %7.1f MB/s wall   peak RSS %6.1f MB%s\n", what, size / m.cpuSeconds,
                size / m.seconds, static_cast<double>(m.maxRssKb) / 1024.0, m.status == 0 ? "" : "   FAILED");
}

} // namespace

int main(int argc, char** argv) {
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    const size_t small = 16;
    std::string tmpl = (std::filesystem::temp_directory_path() / "kvx-bench-XXXXXX").string();
    if (!::mkdtemp(tmpl.data()))
        return 1;
    const std::string dir = tmpl;
    ::setenv("YAOXIA_HOME", (dir + "/home").c_str(), 1);
    Silent silent;
    yx::setPrompt(&silent);
    yx::X509Ptr recipient = bench::makeRecipient("Bench");
    unsigned char rawKey[24];
    RAND_bytes(rawKey, sizeof rawKey);
    char keyHex[49];
    for (int i = 0; i < 24; ++i)
        std::snprintf(keyHex + 2 * i, 3, "%02x", rawKey[i]);

    auto ours = [&](const std::string& src, const std::string& kvx, const std::string& out,
                    unsigned threads) {
        const yx::kvx::RunTuning tuning{threads, yx::kvx::kChunkSize};
        Measure enc = inChild([&] {
            CCertList list;
            list.Add(new CDigitalCertificate(yx::CertContext::fromX509(recipient.get())), true);
            yx::kvx::EncryptJob job{src, kvx, &list, "", false, true, tuning};
            return yx::kvx::CEncryptionEngine(nullptr, nullptr).encrypt(job);
        });
        Measure dec = inChild([&] {
            yx::kvx::DecryptJob job;
            yx::kvx::DecryptRequest request{kvx, out, "", "", false, nullptr};
            if (yx::kvx::prepareDecrypt(request, job) != 0)
                return 1;
            job.tuning = tuning;
            return yx::kvx::CEncryptionEngine(nullptr, nullptr).decrypt(job);
        });
        return std::make_pair(enc, dec);
    };
    auto theirs = [&](const std::string& src, const std::string& enc, const std::string& out) {
        Measure e = inChild([&] {
            return runProgram({"openssl", "enc", "-des-ede3-cbc", "-K", keyHex, "-iv", "0000000000000000",
                               "-in", src, "-out", enc});
        });
        Measure d = inChild([&] {
            return runProgram({"openssl", "enc", "-d", "-des-ede3-cbc", "-K", keyHex, "-iv",
                               "0000000000000000", "-in", enc, "-out", out});
        });
        return std::make_pair(e, d);
    };

    std::printf("3DES-CBC file encryption, %zu MB and %zu MB files in %s\n", megabytes, small, dir.c_str());
    makeFile(dir + "/small.bin", small);
    makeFile(dir + "/big.bin", megabytes);
    // Rounds alternate the tools, and each figure is the best of its rounds, so that a machine
    // busy with other work weighs on both sides alike.
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    Measure oe, od, pe, pd, ke, kd;
    // The shortest wall and CPU times, the largest memory, and a failure of any round.
    auto keep = [](Measure& best, const Measure& m) {
        const bool first = best.seconds == 0;
        best.seconds = first ? m.seconds : std::min(best.seconds, m.seconds);
        best.cpuSeconds = first ? m.cpuSeconds : std::min(best.cpuSeconds, m.cpuSeconds);
        best.maxRssKb = std::max(best.maxRssKb, m.maxRssKb);
        if (first || best.status == 0)
            best.status = m.status;
    };
    for (int r = 0; r < rounds; ++r) {
        const auto [e0, d0] = theirs(dir + "/big.bin", dir + "/big.enc", dir + "/big.dec");
        std::filesystem::remove(dir + "/big.enc");
        std::filesystem::remove(dir + "/big.dec");
        // The decrypted file gets the header's extension: big-out.bin.
        const auto [e1, d1] = ours(dir + "/big.bin", dir + "/big.kvx", dir + "/big-out", 1);
        const auto [e2, d2] = ours(dir + "/big.bin", dir + "/big.kvx", dir + "/big-out", 0);
        keep(oe, e0), keep(od, d0), keep(pe, e1), keep(pd, d1), keep(ke, e2), keep(kd, d2);
    }
    // The small file last, with the parent in the same state, so only the file size differs.
    const auto [se, sd] = ours(dir + "/small.bin", dir + "/small.kvx", dir + "/small-out", 0);
    std::error_code ec;
    const bool same = std::filesystem::file_size(dir + "/big.bin", ec) ==
                          std::filesystem::file_size(dir + "/big-out.bin", ec) &&
                      !ec;

    std::printf("%zu MB, best of %d rounds:\n", megabytes, rounds);
    row("openssl enc -des-ede3-cbc", megabytes, oe);
    row("engine encrypt, piece by piece", megabytes, pe);
    row("engine encrypt, chunks", megabytes, ke);
    row("openssl enc -d -des-ede3-cbc", megabytes, od);
    row("engine decrypt, piece by piece", megabytes, pd);
    row("engine decrypt, chunks", megabytes, kd);
    std::printf("%zu MB:\n", small);
    row("engine encrypt, chunks", small, se);
    row("engine decrypt, chunks", small, sd);
    std::printf("rate against openssl (wall time): encrypt %.2f (piece by piece %.2f, target >= 1.0), "
                "decrypt %.2f (piece by piece %.2f, target >= 1.7)\n",
                oe.seconds / ke.seconds, oe.seconds / pe.seconds, od.seconds / kd.seconds,
                od.seconds / pd.seconds);
    std::printf("rate against openssl (cpu time): encrypt %.2f, decrypt %.2f\n",
                oe.cpuSeconds / ke.cpuSeconds, od.cpuSeconds / kd.cpuSeconds);
    std::printf("engine peak memory: %.1f MB (target < 32); %zu MB vs %zu MB file: encrypt %+.1f MB, "
                "decrypt %+.1f MB\n",
                static_cast<double>(std::max(ke.maxRssKb, kd.maxRssKb)) / 1024.0, megabytes, small,
                static_cast<double>(ke.maxRssKb - se.maxRssKb) / 1024.0,
                static_cast<double>(kd.maxRssKb - sd.maxRssKb) / 1024.0);
    std::printf("round trip size check: %s\n", same ? "ok" : "MISMATCH");
    std::filesystem::remove_all(dir);
    return same && ke.status == 0 && kd.status == 0 && pe.status == 0 && pd.status == 0 ? 0 : 1;
}
