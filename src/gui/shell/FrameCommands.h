// The frame commands whose dialogs live in other parts of the program: the configuration dialog,
// the backup password change, the update check. The program installs them on its main frame;
// tests of the frame alone run without them.
#pragma once

namespace yx {

class MainFrame;

void installFrameCommands(MainFrame& frame);

} // namespace yx
