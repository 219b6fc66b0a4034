// Message boxes and the save dialog of the viewer program, on Qt; opening files and starting
// programs are left to the console implementation.
#pragma once

#include "UserPrompt.h"

#include <QString>

namespace yx::viewer {

class ViewerPrompt : public yx::ConsolePrompt {
public:
    yx::MsgAnswer message(const std::string& text, const std::string& caption, yx::MsgIcon icon,
                          yx::MsgButtons buttons, void* owner) override;
    std::optional<std::string> chooseFile(const yx::FileChooserRequest& request, void* owner) override;
};

// "PFX 文件(*.pfx)|*.pfx|所有文件(*.*)|*.*||" as a Qt name filter list.
QString qtNameFilters(const std::string& mfcFilter);

} // namespace yx::viewer
