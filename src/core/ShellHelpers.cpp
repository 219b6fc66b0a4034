#include "ShellHelpers.h"

#include "DataPaths.h"
#include "UserPrompt.h"

namespace yx {
// Beside the executable, whatever the working directory is.
std::string helpFilePath() {
    return paths::executableDir() + "KavexCertHelper.chm";
}
} // namespace yx

// Without a viewer for compiled help files the desktop opener simply fails; as on every system,
// a missing help file or viewer is not reported.
void OpenHelpFile() {
    (void)yx::prompt().openWithDesktop(yx::helpFilePath());
}

void OpenWithShell(void* owner, const std::string& path) {
    if (!yx::prompt().openWithDesktop(path))
        yx::showMessage("未找到合适的应用程序打开该文件", yx::MsgIcon::Information, yx::MsgButtons::Ok,
                        owner);
}
