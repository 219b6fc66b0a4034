#include "ShellHelpers.h"
#include "RecordingPrompt.h"
#include "TestPki.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

struct ShellHelpersTest : ::testing::Test {
    yxtest::RecordingPrompt prompt;
};

} // namespace

TEST_F(ShellHelpersTest, HelpIsFoundFromTheExecutableWhateverTheWorkingDirectory) {
    const fs::path exeDir = fs::read_symlink("/proc/self/exe").parent_path();
    // Where a start page may be, from the executable's folder: the build tree's copy beside the
    // program, the installed data folder; with none there, the place beside the program.
    const struct {
        const char* layout; // folder made under the executable's folder, "" for none
        const char* expected;
    } cases[] = {
        {"help", "help/index.html"},
        {"../share/yaoxia/help", "../share/yaoxia/help/index.html"},
        {"", "help/index.html"},
    };
    const bool hadShare = fs::exists(exeDir / "../share");
    const fs::path before = fs::current_path();
    yxtest::TempDir elsewhere;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        const fs::path made = exeDir / c.layout;
        if (*c.layout) {
            fs::create_directories(made);
            std::ofstream(made / "index.html") << "<html></html>";
        }
        prompt.opened.clear();
        prompt.openSucceeds = false; // no browser: still no message
        fs::current_path(elsewhere.path());
        OpenHelpFile();
        fs::current_path(before);
        if (*c.layout)
            fs::remove_all(made);

        ASSERT_EQ(prompt.opened.size(), 1u);
        EXPECT_EQ(fs::path(prompt.opened[0]).lexically_normal(), (exeDir / c.expected).lexically_normal());
        EXPECT_TRUE(prompt.messages.empty());
    }
    if (!hadShare)
        fs::remove_all(exeDir / "../share");
}

TEST_F(ShellHelpersTest, FileWithoutApplicationGivesTheOneMessage) {
    int ownerToken = 0;
    prompt.openSucceeds = false;
    OpenWithShell(&ownerToken, "/tmp/decrypted.unknownext");
    ASSERT_EQ(prompt.opened, std::vector<std::string>{"/tmp/decrypted.unknownext"});
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, "未找到合适的应用程序打开该文件");
    EXPECT_EQ(prompt.messages[0].caption, "钥匣");
    EXPECT_EQ(prompt.messages[0].icon, yx::MsgIcon::Information);
    EXPECT_EQ(prompt.messages[0].buttons, yx::MsgButtons::Ok);
    EXPECT_EQ(prompt.messages[0].owner, &ownerToken);

    prompt.messages.clear();
    prompt.openSucceeds = true;
    OpenWithShell(nullptr, "/tmp/decrypted.txt");
    EXPECT_TRUE(prompt.messages.empty());
}
