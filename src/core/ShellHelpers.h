// Opening the help (an HTML start page, shown by the desktop's browser) and opening a file with its
// associated application (through the desktop's opener, never a shell).
#pragma once

#include <string>

void OpenHelpFile();
// Shows "未找到合适的应用程序打开该文件" when no application opens the file.
void OpenWithShell(void* owner, const std::string& path);

namespace yx {
// The help's start page: "help/index.html" beside the executable (the build tree), else in the
// installed data folder ("../share/yaoxia/help" from the executable's folder, then the data folder
// the program was configured for). When none exists, the path beside the executable.
std::string helpFilePath();
} // namespace yx
