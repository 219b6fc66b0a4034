#include "ShellHelpers.h"
#include "TestPki.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Shown {
    std::string text, caption;
    yx::MsgIcon icon;
    yx::MsgButtons buttons;
    void* owner;
};

// Records messages; desktop opens are recorded and answered with `openResult`, or passed on to
// the console implementation when `useConsoleOpen` is set.
class RecordingPrompt : public yx::ConsolePrompt {
public:
    yx::MsgAnswer message(const std::string& text, const std::string& caption, yx::MsgIcon icon,
                          yx::MsgButtons buttons, void* owner) override {
        shown.push_back({text, caption, icon, buttons, owner});
        return yx::MsgAnswer::Ok;
    }
    bool openWithDesktop(const std::string& pathOrUrl) override {
        opened.push_back(pathOrUrl);
        return useConsoleOpen ? ConsolePrompt::openWithDesktop(pathOrUrl) : openResult;
    }
    std::vector<Shown> shown;
    std::vector<std::string> opened;
    bool openResult = true;
    bool useConsoleOpen = false;
};

class ShellHelpersTest : public ::testing::Test {
protected:
    void SetUp() override { yx::setPrompt(&prompt); }
    void TearDown() override { yx::setPrompt(nullptr); }
    RecordingPrompt prompt;
};

// A fake xdg-open first on PATH: writes its arguments to a log and exits with a chosen status.
class FakeXdgOpen {
public:
    explicit FakeXdgOpen(int exitStatus) {
        const std::string script = "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + log() +
                                   "'\nexit " + std::to_string(exitStatus) + "\n";
        const std::string path = yxtest::writeFile(m_dir.path(), "xdg-open", script);
        ::chmod(path.c_str(), 0755);
    }
    std::string log() const { return m_dir.file("args.log"); }
    std::string args() const {
        std::ifstream in(log());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    yxtest::TempDir m_dir;
    yxtest::ScopedEnv m_path{"PATH", m_dir.path() + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "")};
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
        prompt.openResult = false; // no browser: still no message
        fs::current_path(elsewhere.path());
        OpenHelpFile();
        fs::current_path(before);
        if (*c.layout)
            fs::remove_all(made);

        ASSERT_EQ(prompt.opened.size(), 1u);
        EXPECT_EQ(fs::path(prompt.opened[0]).lexically_normal(), (exeDir / c.expected).lexically_normal());
        EXPECT_TRUE(prompt.shown.empty());
    }
    if (!hadShare)
        fs::remove_all(exeDir / "../share");
}

TEST_F(ShellHelpersTest, FileWithoutApplicationGivesTheOneMessage) {
    int ownerToken = 0;
    prompt.openResult = false;
    OpenWithShell(&ownerToken, "/tmp/decrypted.unknownext");
    ASSERT_EQ(prompt.opened, std::vector<std::string>{"/tmp/decrypted.unknownext"});
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "未找到合适的应用程序打开该文件");
    EXPECT_EQ(prompt.shown[0].caption, "钥匣");
    EXPECT_EQ(prompt.shown[0].icon, yx::MsgIcon::Information);
    EXPECT_EQ(prompt.shown[0].buttons, yx::MsgButtons::Ok);
    EXPECT_EQ(prompt.shown[0].owner, &ownerToken);

    prompt.shown.clear();
    prompt.openResult = true;
    OpenWithShell(nullptr, "/tmp/decrypted.txt");
    EXPECT_TRUE(prompt.shown.empty());
}
