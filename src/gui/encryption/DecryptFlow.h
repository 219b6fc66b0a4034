// The decrypt operation: the decrypt dialog, the protection password when the file has one, and
// the progress dialog, which asks at the end whether to open the decrypted file. Run by the file
// encryption page and by the command line's decrypt operation.
#pragma once

#include <QString>

class QWidget;

namespace yx {

struct DecryptFlowOutcome {
    bool ran = false;   // the progress dialog was run
    int runResult = -1; // the engine's result code, -1 when no run ended
    QString target;     // the decrypted file written (or attempted)
};

// presetPath (may be empty) becomes the decrypt dialog's encrypted file. Returns the progress
// dialog's result, IDOK (1) or IDCANCEL (2), or 0 when the operation ended before it.
int DecryptFile(const QString& presetPath, QWidget* parent = nullptr, DecryptFlowOutcome* outcome = nullptr);

} // namespace yx
