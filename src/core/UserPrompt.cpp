#include "UserPrompt.h"

#include <cerrno>
#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
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

int spawnProgram(const std::vector<std::string>& argv, bool wait) {
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
    if (!wait) {
        // Reap it when it ends so no zombie stays behind.
        std::thread([pid] {
            int st = 0;
            while (::waitpid(pid, &st, 0) < 0 && errno == EINTR) {
            }
        }).detach();
        return 0;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status) == 127 ? -1 : WEXITSTATUS(status);
    return -1;
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
