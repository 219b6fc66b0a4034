// The encrypt flow: the encrypt dialog, then the progress dialog over the recipients it chose.
// Run by the file encryption page (".kvx" appended to a target without it) and by the command
// line's encrypt and mail operations (target as typed; the mail operation quiet).
#pragma once

#include <QString>

#include <string>
#include <vector>

class QWidget;

namespace yx {

struct EncryptFlowOptions {
    bool appendKvx = true; // the page: a target without ".kvx" gets it
    bool quiet = false;    // no "加密成功！" (the mail operation)
};

struct EncryptFlowOutcome {
    bool confirmed = false; // the encrypt dialog ended with OK and the run was started
    int runResult = -1;     // the engine's result code, -1 when no run ended
    QString target;         // the encrypted file written (or attempted)
    // E-mail addresses of the recipients after the first (the user's own default certificate),
    // in list order, certificates without an address left out.
    std::vector<std::string> recipientEmails;
};

// The progress dialog's result: IDOK (1) when a run ended without a cancel (also after a
// failure message), IDCANCEL (2) when the encrypt dialog or the run was cancelled. An empty
// sourcePath leaves the dialog's source field empty.
int RunEncryptFlow(const QString& sourcePath, const EncryptFlowOptions& options, QWidget* parent = nullptr,
                   EncryptFlowOutcome* outcome = nullptr);

} // namespace yx
