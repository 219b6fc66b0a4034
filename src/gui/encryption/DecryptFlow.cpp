#include "DecryptFlow.h"

#include "DlgDecryptFile.h"
#include "DlgEncProgress.h"
#include "DlgEnterPassword.h"
#include "FilePathHelpers.h"
#include "dialogs/DialogKit.h"

#include <cstdio>

namespace yx {
namespace {

// Version 1 files are the maker's library's own format, which this build has not: the file is
// checked for reading as the library would, then refused.
void decryptVersion1(QWidget* owner, const QString& source) {
    std::FILE* f = std::fopen(dlgkit::utf8(source).c_str(), "rb");
    if (!f) {
        dlgkit::say(owner, "打开源文件失败！", MsgIcon::Warning);
        return;
    }
    std::fclose(f);
    dlgkit::say(owner, "调用加密函数失败，解密失败！", MsgIcon::Error);
}

} // namespace

int DecryptFile(const QString& presetPath, QWidget* parent, DecryptFlowOutcome* outcome) {
    DecryptFlowOutcome local;
    DecryptFlowOutcome& out = outcome ? *outcome : local;
    out = DecryptFlowOutcome{};

    CDlgDecryptFile dialog(parent);
    if (!presetPath.isEmpty())
        dialog.SetSourcePath(presetPath);
    if (dialog.exec() != QDialog::Accepted)
        return 0;

    const kvx::DecryptHead& head = dialog.head();
    if (head.version == kvx::Version::V1) {
        decryptVersion1(parent, dialog.sourcePath());
        return 0;
    }
    const int record = dialog.chosenRecord();
    if (record < 0 || static_cast<size_t>(record) >= head.records.size())
        return 0; // the dialog's OK lets no version 2 file through without a usable record

    QString password;
    if (head.isProtected()) {
        CDlgEnterPassword ask(parent);
        if (ask.exec() != QDialog::Accepted) {
            dlgkit::say(parent, "解密失败！", MsgIcon::Information);
            return 0;
        }
        password = ask.password();
    }

    out.target =
        dlgkit::qstr(kvx::EnsureFileExt(dlgkit::utf8(dialog.targetPath()), dialog.headerExtension()));
    CDlgEncProgress progress(nullptr, CDlgEncProgress::Decrypt, 0, parent);
    progress.SetSourcePath(dialog.sourcePath());
    progress.SetTargetPath(out.target);
    progress.SetPassword(password);
    progress.SetDataOffset(head.dataOffset);
    progress.SetRecord(head.records[static_cast<size_t>(record)]);
    out.ran = true;
    const int rc = progress.DoModal();
    out.runResult = progress.runResult();
    return rc;
}

} // namespace yx
