// Downloading an offered release: only bytes that match the manifest's SHA-256 are saved.
#include "UpdateDownload.h"
#include "DataPaths.h"
#include "SafeFile.h"
#include "TestPki.h"
#include "UpdateResult.h"
#include "UpdateServerKit.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace yx::update;

TEST(UpdateDownloadTest, OnlyTheExactReleaseIsSaved) {
    const std::string payload(200000, 'p');
    const struct {
        const char* what;
        std::string served; // what the server sends for the release
        bool silent;        // the server never answers (the user cancels)
        int expected;
    } cases[] = {
        {"exact bytes", payload, false, 0},
        {"other bytes of the same size", std::string(payload.size(), 'q'), false, kHashMismatch},
        {"shorter", payload.substr(1), false, kHashMismatch},
        {"longer than announced", payload + "x", false, kTooLarge},
        {"cancelled while waiting", payload, true, kCancelled},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        yxtest::ScopedDataRoot root;
        yxtest::HttpTestServer http;
        http.setBody("/r/yaoxia-9.tar.gz", c.served);
        if (c.silent)
            http.setMode("/r/yaoxia-9.tar.gz", yxtest::HttpTestServer::Mode::Silent);
        auto manifest = parseManifest(yxtest::releaseManifest("9", http.url("/r/yaoxia-9.tar.gz"), payload));
        ASSERT_TRUE(manifest);
        std::atomic<bool> cancel{c.silent};
        uint64_t lastDone = 0;
        const auto out = downloadUpdate(*manifest, yx::paths::downloadDir(), &cancel,
                                        [&](uint64_t done, uint64_t) { lastDone = done; });
        EXPECT_EQ(out.code, c.expected);
        const std::string target = yx::paths::downloadDir() + "/yaoxia-9.tar.gz";
        // A failure leaves nothing behind, not even a part of the file.
        std::error_code ec;
        const auto entries = std::distance(std::filesystem::directory_iterator(yx::paths::downloadDir(), ec),
                                           std::filesystem::directory_iterator());
        EXPECT_EQ(entries, c.expected == 0 ? 1 : 0);
        if (c.expected == 0) {
            EXPECT_EQ(out.savedPath, target);
            EXPECT_EQ(yxtest::readFile(target).size(), payload.size());
            EXPECT_EQ(lastDone, payload.size());
        }
    }
}

TEST(UpdateDownloadTest, AFileOfTheSameNameStays) {
    yxtest::ScopedDataRoot root;
    yxtest::HttpTestServer http;
    const std::string payload(1000, 'p');
    http.setBody("/r/yaoxia-1.2.0.tar.gz", payload);
    auto manifest =
        parseManifest(yxtest::releaseManifest("1.2.0", http.url("/r/yaoxia-1.2.0.tar.gz"), payload));
    ASSERT_TRUE(manifest);
    const std::string mine = yx::paths::downloadDir() + "/yaoxia-1.2.0.tar.gz";
    ASSERT_TRUE(yx::paths::ensureDir(yx::paths::downloadDir()) &&
                yx::atomicWriteFile(mine, std::string("mine")));
    const auto out = downloadUpdate(*manifest, yx::paths::downloadDir(), nullptr, {});
    EXPECT_EQ(out.code, 0);
    EXPECT_EQ(out.savedPath, yx::paths::downloadDir() + "/yaoxia-1.2.0 (2).tar.gz");
    EXPECT_EQ(yxtest::readFile(out.savedPath).size(), payload.size());
    EXPECT_EQ(yxtest::readFile(mine).size(), 4u);
}

TEST(UpdateDownloadTest, FileNameComesFromTheAddressMadeSafe) {
    const struct {
        const char* url;
        const char* name;
    } cases[] = {
        {"https://h/a/yaoxia-2.0.deb?x=1", "yaoxia-2.0.deb"},
        {"https://h/a/%2e%2e", "_2e_2e"},
        {"https://h/a/", "yaoxia-2.0"},
        {"https://h", "yaoxia-2.0"},
        {"https://h/.hidden", "yaoxia-2.0"},
    };
    for (const auto& c : cases) {
        UpdateManifest m;
        m.url = c.url;
        m.version = "2.0";
        EXPECT_EQ(downloadFileName(m), c.name) << c.url;
    }
}
