// Several files as one job from the desktop program (the file manager's selection, files dropped
// on the file encryption page): one recipients dialog (encryption) or one certificate and
// password choice (decryption), the overwrite question for every existing target before the job
// starts ("No" skips that file), then one progress window over all files.
#pragma once

#include "FileBatch.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class QWidget;

namespace yx {

struct BatchFlowOutcome {
    bool ran = false; // the progress window was run
    std::vector<kvx::BatchFile> files;
    std::vector<kvx::BatchOutcome> outcomes; // per file, in order, once the job has ended
    // Encryption: the recipients' addresses after the user's own certificate, as for one file.
    std::vector<std::string> recipientEmails;
};

// Each file's encrypted file is its path with ".kvx" appended. Returns IDOK (1) when the job
// ended without a cancel (also with failed files), IDCANCEL (2) when a dialog or the job was
// cancelled.
int RunEncryptBatch(const QStringList& sources, QWidget* parent = nullptr,
                    BatchFlowOutcome* outcome = nullptr);

// Each file is decrypted into its own folder, named as a single decryption proposes. The
// certificate chosen for the first readable file is used wherever the file has it.
int RunDecryptBatch(const QStringList& sources, QWidget* parent = nullptr,
                    BatchFlowOutcome* outcome = nullptr);

} // namespace yx
