// yaoxia-tool update-check: exit status 0 with the version, 101 without an update, the failure's
// code with its message otherwise.
#include "UpdateCheckCommand.h"
#include "TestPki.h"
#include "ToolRunner.h"
#include "UpdateResult.h"
#include "UpdateServerKit.h"

#include <gtest/gtest.h>

using namespace yx::update;

TEST(UpdateCheckCommandTest, ExitStatusAndOutputFollowTheCheck) {
    const struct {
        const char* what;
        const char* published;
        int status;
        const char* out;
    } cases[] = {
        {"newer", "2.0.1", kUpdateAvailable, "2.0.1\n"},
        {"not newer", "1.0.0", kNoUpdate, ""}, // a foreign signature: the program's own test below
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        yxtest::ScopedDataRoot root;
        yxtest::ReleaseSigner signer;
        yxtest::UpdateServer server;
        server.publish(signer, c.published, "payload");
        char name[] = "update-check";
        char* argv[] = {name, nullptr};
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status =
            yx::tool::runUpdateCheck(1, argv, signer.publicKey(), UpdateOptions{500, 2000, "1.0.0"});
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(err.empty(), c.status == kUpdateAvailable);
    }
}

TEST(UpdateCheckCommandTest, ProgramRefusesAManifestNotSignedByTheMaker) {
    yxtest::ScopedDataRoot root;
    yxtest::UpdateServer server;
    server.publish(yxtest::ReleaseSigner(), "99.0", "payload");
    const yxtest::ToolRun run = yxtest::tool({"update-check"});
    EXPECT_EQ(run.status, kBadSignature);
    EXPECT_TRUE(run.out.empty());
    EXPECT_FALSE(run.err.empty());
    EXPECT_EQ(server.manifestRequests(), 1);
}
