#include "ShellHelpers.h"

#include "DataPaths.h"
#include "UserPrompt.h"

#include <sys/stat.h>

namespace yx {

namespace {
constexpr const char* kHelpStartPage = "help/index.html";

bool isFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
} // namespace

// Found from the executable's folder, whatever the working directory is.
std::string helpFilePath() {
    const std::string exeDir = paths::executableDir();
    const std::string candidates[] = {
        exeDir + kHelpStartPage,
        exeDir + "../share/yaoxia/" + kHelpStartPage,
#ifdef YAOXIA_HELP_INSTALL_DIR
        std::string(YAOXIA_HELP_INSTALL_DIR) + "/index.html",
#endif
    };
    for (const std::string& path : candidates)
        if (isFile(path))
            return path;
    return candidates[0];
}

} // namespace yx

// The desktop opens the start page in the user's browser. A missing help file or browser is not
// reported.
void OpenHelpFile() {
    (void)yx::prompt().openWithDesktop(yx::helpFilePath());
}

void OpenWithShell(void* owner, const std::string& path) {
    if (!yx::prompt().openWithDesktop(path))
        yx::showMessage("未找到合适的应用程序打开该文件", yx::MsgIcon::Information, yx::MsgButtons::Ok,
                        owner);
}
