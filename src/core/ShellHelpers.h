// Opening the help file and opening a file with its associated application (through the
// desktop's opener, never a shell).
#pragma once

#include <string>

void OpenHelpFile();
// Shows "未找到合适的应用程序打开该文件" when no application opens the file.
void OpenWithShell(void* owner, const std::string& path);

namespace yx {
std::string helpFilePath(); // the executable's folder + "KavexCertHelper.chm"
}
