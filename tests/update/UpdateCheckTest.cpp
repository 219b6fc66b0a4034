// The update check against a loopback server: what the server publishes decides the result, and
// nothing unsigned, oversized, redirected elsewhere or late gets through.
#include "Registry.h"
#include "Settings.h"
#include "SlapdFixture.h"
#include "TestPki.h"
#include "UpdateCommon.h"
#include "UpdateResult.h"
#include "UpdateServerKit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

using namespace yx::update;

namespace {

// A data root with the server's address in its settings; running version 1.0.0.
struct Env {
    int start() {
        Common common(signer.publicKey(), UpdateOptions{300, 1500, "1.0.0"});
        const int rc = common.Start(kUpdateRegistryKey, "https://unused.example", kUpdatePath);
        offered = common.offered();
        error = common.lastError();
        return rc;
    }

    yxtest::ScopedDataRoot root;
    yxtest::ReleaseSigner signer;
    yxtest::UpdateServer server;
    UpdateManifest offered;
    std::string error;
};

} // namespace

TEST(UpdateCheckTest, ServerAnswerDecidesTheResult) {
    using Setup = std::function<void(Env&)>;
    static const std::string m = yxtest::releaseManifest("9.0.0", "https://h/f", "x");
    const struct {
        const char* what;
        Setup setup;
        int expected;
    } cases[] = {
        {"older version", [](Env& t) { t.server.publish(t.signer, "0.9", "x"); }, kNoUpdate},
        {"same version", [](Env& t) { t.server.publish(t.signer, "1.0", "x"); }, kNoUpdate},
        {"newer version", [](Env& t) { t.server.publish(t.signer, "9.0.0", "x"); }, kUpdateAvailable},
        {"signed by another key", [](Env& t) { t.server.publish(yxtest::ReleaseSigner(), "9.0.0", "x"); },
         kBadSignature},
        {"changed after signing", [](Env& t) { t.server.publishRaw(m + "notes=added\n", t.signer.sign(m)); },
         kBadSignature},
        {"signed but malformed",
         [](Env& t) {
             t.server.publishRaw("YAOXIA-UPDATE 1\nversion=9\n",
                                 t.signer.sign("YAOXIA-UPDATE 1\nversion=9\n"));
         },
         kBadManifest},
        {"signature missing", [](Env& t) { t.server.http.setBody(t.server.manifestPath(), m); }, kNoAnswer},
        {"manifest over 64 KiB",
         [](Env& t) {
             const std::string big =
                 yxtest::releaseManifest("9.0.0", "https://h/f", "x", std::string(kMaxManifestBytes, 'n'));
             t.server.publishRaw(big, t.signer.sign(big));
         },
         kTooLarge},
        {"redirect to another host",
         [](Env& t) {
             t.server.publish(t.signer, "9.0.0", "x");
             t.server.http.setRedirect(t.server.manifestPath(),
                                       "http://localhost:" + std::to_string(t.server.http.port()) + "/m.txt");
         },
         kRedirectRefused},
        {"redirect on the same host",
         [](Env& t) {
             t.server.publish(t.signer, "9.0.0", "x");
             t.server.http.setBody("/moved.txt", m);
             t.server.http.setBody(std::string(yxtest::UpdateServer::kDir) + "manifest.txt.sig",
                                   t.signer.sign(m));
             t.server.http.setRedirect(t.server.manifestPath(), t.server.http.url("/moved.txt"));
         },
         kUpdateAvailable},
        {"server never answers",
         [](Env& t) { t.server.http.setMode(t.server.manifestPath(), yxtest::HttpTestServer::Mode::Silent); },
         kNoAnswer},
        {"connection refused",
         [](Env&) {
             yx::settings::WriteProfileString("UpdateConfig", "Server",
                                              "http://127.0.0.1:" + std::to_string(yxtest::closedPort()));
         },
         kNoAnswer},
        {"plain http to another host",
         [](Env&) { yx::settings::WriteProfileString("UpdateConfig", "Server", "http://update.example"); },
         kBadServer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Env env;
        c.setup(env);
        const auto began = std::chrono::steady_clock::now();
        EXPECT_EQ(env.start(), c.expected);
        // The whole check stays within its time-out (1.5 s here), whatever the server does.
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5));
        EXPECT_EQ(env.offered.version, c.expected == kUpdateAvailable ? "9.0.0" : "");
        EXPECT_EQ(env.error.empty(), c.expected == kUpdateAvailable);
        // The check records its result under the update's key.
        EXPECT_EQ(yx::settings::GetProfileString("UpdateConfig", "LastResult"), std::to_string(c.expected));
    }
}

TEST(UpdateCheckTest, ConfigurationRoundTripsUnderTheUpdateKey) {
    yxtest::ScopedDataRoot root;
    yx::settings::WriteProfileString("UpdateConfig", "StartUpCheckNew", "1");
    Common common;
    Config config;
    ASSERT_EQ(common.ReadConfigFromReg(config, kUpdateRegistryKey), 0);
    EXPECT_EQ(config.GetStartUpCheckNew(), "1");
    config.SetCurrentOperation("1");
    ASSERT_EQ(common.SaveConfigtoReg(config, kUpdateRegistryKey), 0);
    EXPECT_EQ(yx::settings::GetProfileString("UpdateConfig", "CurrentOperation"), "1");
    EXPECT_EQ(yx::settings::GetProfileString("UpdateConfig", "StartUpCheckNew"), "1");
}
