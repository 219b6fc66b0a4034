// File operations started from the command line (shell integration), run without a main window.
#pragma once

#include <QStringList>

namespace yx {

// Runs the operation the arguments ask for (the program's arguments without its name) and
// returns the process exit code.
int runCommandLine(const QStringList& args);

} // namespace yx
