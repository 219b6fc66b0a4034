// Encrypts and decrypts several files as one job (8 files of 16 MB unless a count and a size in
// MB are given) with the batch core, one file at a time (the reference: what a loop over the
// single-file operation does) and one file per core, in the same run; prints MB/s of each. Each
// figure is the best of 3 rounds, the two ways alternating, so other work on a shared machine
// weighs on both alike. Encryption is one cipher chain per file, so it is where files in
// parallel gain; a decryption already spreads one file over the cores.
#include "BenchRecipient.h"
#include "CertList.h"
#include "CertStore.h"
#include "DigitalCertificate.h"
#include "FileBatch.h"
#include "OpenSslHolders.h"
#include "UserPrompt.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

template <typename Job> double seconds(Job job) {
    const auto t0 = std::chrono::steady_clock::now();
    job();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

} // namespace

int main(int argc, char** argv) {
    const size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 8;
    const size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 16;
    std::string tmpl = (std::filesystem::temp_directory_path() / "kvx-batch-bench-XXXXXX").string();
    if (!::mkdtemp(tmpl.data()))
        return 1;
    const std::string dir = tmpl;
    ::setenv("YAOXIA_HOME", (dir + "/home").c_str(), 1);
    yx::X509Ptr recipient = bench::makeRecipient("Batch");
    CCertList list;
    list.Add(new CDigitalCertificate(yx::CertContext::fromX509(recipient.get())), true);

    std::vector<yx::kvx::BatchFile> plain, encrypted;
    std::vector<unsigned char> block(1 << 20);
    for (size_t i = 0; i < count; ++i) {
        const std::string path = dir + "/f" + std::to_string(i) + ".bin";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        for (size_t m = 0; m < megabytes; ++m) {
            RAND_bytes(block.data(), static_cast<int>(block.size()));
            std::fwrite(block.data(), 1, block.size(), f);
        }
        std::fclose(f);
        plain.push_back({path, path + ".kvx"});
        encrypted.push_back({path + ".kvx", dir + "/out" + std::to_string(i)});
    }

    double best[2][2] = {{1e9, 1e9}, {1e9, 1e9}}; // [one at a time | per core][encrypt | decrypt]
    bool ok = true;
    for (int round = 0; round < 3; ++round) {
        for (int way = 0; way < 2; ++way) {
            const unsigned threads = way == 0 ? 1 : 0;
            std::vector<yx::kvx::BatchOutcome> enc, dec;
            best[way][0] =
                std::min(best[way][0], seconds([&] {
                             enc = yx::kvx::FileBatch(nullptr, threads).encrypt(plain, {&list, "", false});
                         }));
            best[way][1] =
                std::min(best[way][1],
                         seconds([&] { dec = yx::kvx::FileBatch(nullptr, threads).decrypt(encrypted, {}); }));
            for (size_t i = 0; i < count; ++i)
                ok = ok && enc[i].result == 0 && dec[i].result == 0;
        }
    }
    const double total = static_cast<double>(count * megabytes);
    std::printf("%zu files of %zu MB as one job, %u cores, best of 3 rounds%s\n", count, megabytes,
                std::thread::hardware_concurrency(), ok ? "" : "   FAILED");
    const char* names[2] = {"one file at a time (reference)", "one file per core"};
    for (int way = 0; way < 2; ++way)
        std::printf("  %-32s encrypt %7.1f MB/s   decrypt %7.1f MB/s\n", names[way], total / best[way][0],
                    total / best[way][1]);
    std::filesystem::remove_all(dir);
    return ok ? 0 : 1;
}
