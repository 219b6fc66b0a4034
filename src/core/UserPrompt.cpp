#include "UserPrompt.h"

#include "ProgramStart.h"

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace yx {
namespace {
ConsolePrompt g_console;
UserPrompt* g_current = nullptr;
} // namespace

UserPrompt& prompt() {
    return g_current ? *g_current : g_console;
}
void setPrompt(UserPrompt* p) {
    g_current = p;
}

std::optional<std::string> UserPrompt::askPassword(const std::string& text, const std::string& caption,
                                                   void* owner) {
    (void)text;
    (void)caption;
    (void)owner;
    return std::nullopt;
}

MsgAnswer showMessage(const std::string& text, MsgIcon icon, MsgButtons buttons, void* owner,
                      const std::string& caption) {
    return prompt().message(text, caption, icon, buttons, owner);
}

namespace {

std::mutex g_releasedMutex;
std::vector<int> g_released; // started programs nobody waits for

// Reaps the released programs that have ended.
void reapReleased() {
    std::lock_guard lock(g_releasedMutex);
    std::erase_if(g_released, [](int pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
}

} // namespace

int startProgram(const std::vector<std::string>& argv) {
    reapReleased();
    if (argv.empty())
        return -1;
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return -1;
    return pid;
}

std::optional<int> programEnded(int pid, bool wait) {
    int status = 0;
    pid_t r;
    while ((r = ::waitpid(pid, &status, wait ? 0 : WNOHANG)) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (r == 0)
        return std::nullopt;
    if (WIFEXITED(status))
        return WEXITSTATUS(status) == 127 ? -1 : WEXITSTATUS(status);
    return -1;
}

void releaseProgram(int pid) {
    std::lock_guard lock(g_releasedMutex);
    g_released.push_back(pid);
}

int spawnProgram(const std::vector<std::string>& argv, bool wait) {
    const int pid = startProgram(argv);
    if (pid < 0)
        return -1;
    if (!wait) {
        releaseProgram(pid);
        return 0;
    }
    return *programEnded(pid, true);
}

MsgAnswer ConsolePrompt::message(const std::string& text, const std::string& caption, MsgIcon,
                                 MsgButtons buttons, void*) {
    (void)caption;
    std::fprintf(stderr, "%s\n", text.c_str());
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::OkCancel:
        return answerYes ? MsgAnswer::Ok : MsgAnswer::Cancel;
    case MsgButtons::RetryCancel:
        return MsgAnswer::Cancel;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return answerYes ? MsgAnswer::Yes : MsgAnswer::No;
    }
    return MsgAnswer::Ok;
}

std::optional<std::string> ConsolePrompt::chooseFile(const FileChooserRequest&, void*) {
    return std::nullopt;
}

bool ConsolePrompt::openWithDesktop(const std::string& pathOrUrl) {
    return spawnProgram({"xdg-open", pathOrUrl}, true) == 0;
}

int ConsolePrompt::runProgram(const std::vector<std::string>& argv, bool wait) {
    return spawnProgram(argv, wait);
}

} // namespace yx
