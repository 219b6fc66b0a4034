#include "EncryptFlow.h"

#include "CertList.h"
#include "DigitalCertificate.h"
#include "DlgEncProgress.h"
#include "DlgEncryptFile.h"
#include "FilePathHelpers.h"
#include "ResourceIds.h"
#include "dialogs/DialogKit.h"

namespace yx {

int RunEncryptFlow(const QString& sourcePath, const EncryptFlowOptions& options, QWidget* parent,
                   EncryptFlowOutcome* outcome) {
    EncryptFlowOutcome local;
    EncryptFlowOutcome& out = outcome ? *outcome : local;
    out = EncryptFlowOutcome{};

    // Destroyed in reverse order: the progress dialog, the encrypt dialog (whose stores own the
    // certificates), then the list, which owns none of them.
    CCertList list;
    CDlgEncryptFile dialog(&list, parent);
    if (!sourcePath.isEmpty())
        dialog.SetSourcePath(sourcePath);
    dialog.SetAppendKvx(options.appendKvx);
    if (dialog.exec() != QDialog::Accepted)
        return res::IDCANCEL;

    const QString target = dialog.writtenTargetPath();
    out.confirmed = true;
    out.target = target;
    for (int i = 1; i < list.GetCount(); ++i) {
        std::string email;
        if (CDigitalCertificate* cert = list.GetAt(i); cert && cert->getEmail(email) == 0 && !email.empty())
            out.recipientEmails.push_back(email);
    }

    CDlgEncProgress progress(&list, CDlgEncProgress::Encrypt, options.quiet ? 1 : 0, parent);
    progress.SetSourcePath(dialog.sourcePath());
    progress.SetTargetPath(target);
    progress.SetPassword(dialog.password());
    progress.SetDeleteSource(dialog.deleteSource() ? 1 : 0);
    const int rc = progress.DoModal();
    out.runResult = progress.runResult();
    return rc;
}

} // namespace yx
