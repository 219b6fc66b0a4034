#include "CommandLine.h"

#include "UserPrompt.h"

namespace yx {

int runCommandLine(const QStringList& args) {
    (void)args;
    showMessage("本版本尚不支持命令行操作，请在主窗口中使用相应功能。", MsgIcon::Warning);
    return 1;
}

} // namespace yx
