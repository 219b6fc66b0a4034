// The desktop program's user prompt: Qt message boxes and file choosers; files and URLs opened
// with xdg-open and programs started by argument vector, never through a shell.
#pragma once

#include "UserPrompt.h"

namespace yx {

class QtPrompt : public UserPrompt {
public:
    MsgAnswer message(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons,
                      void* owner) override;
    std::optional<std::string> chooseFile(const FileChooserRequest& request, void* owner) override;
    bool openWithDesktop(const std::string& pathOrUrl) override;
    int runProgram(const std::vector<std::string>& argv, bool wait) override;
    std::optional<std::string> askPassword(const std::string& text, const std::string& caption,
                                           void* owner) override;

    // How long opening waits for the opener's verdict before taking "still running" as success.
    int openerWaitMs = 5000;
};

} // namespace yx
