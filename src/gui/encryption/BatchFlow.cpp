#include "BatchFlow.h"

#include "CertList.h"
#include "DecryptOperation.h"
#include "DigitalCertificate.h"
#include "DlgBatchProgress.h"
#include "DlgDecryptFile.h"
#include "DlgEncryptFile.h"
#include "DlgEnterPassword.h"
#include "FilePathHelpers.h"
#include "ResourceIds.h"
#include "SafeFile.h"
#include "dialogs/DialogKit.h"

namespace yx {
namespace {

using dlgkit::qstr;
using dlgkit::say;
using dlgkit::utf8;

QStringList cleanPaths(const QStringList& paths) {
    QStringList out;
    for (const QString& path : paths)
        out << dlgkit::presetPath(path);
    return out;
}

// Asked on the UI thread before the job starts: an existing target the user keeps is skipped.
void askOverwrite(QWidget* parent, kvx::BatchFile& file, const std::string& written, const char* question) {
    if (fileExists(written))
        file.skip =
            say(parent, written + "\n" + question, MsgIcon::Warning, MsgButtons::YesNo) != MsgAnswer::Yes;
}

int runProgress(int direction, std::vector<kvx::BatchFile> files, QWidget* parent, BatchFlowOutcome& out,
                const kvx::EncryptBatchOptions& encrypt, const kvx::DecryptBatchOptions& decrypt) {
    out.files = files;
    CDlgBatchProgress progress(direction, std::move(files), parent);
    progress.SetEncryptOptions(encrypt);
    progress.SetDecryptOptions(decrypt);
    out.ran = true;
    const int rc = progress.exec();
    out.outcomes = progress.outcomes();
    return rc;
}

} // namespace

int RunEncryptBatch(const QStringList& sources, QWidget* parent, BatchFlowOutcome* outcome) {
    BatchFlowOutcome local;
    BatchFlowOutcome& out = outcome ? *outcome : local;
    out = BatchFlowOutcome{};
    const QStringList paths = cleanPaths(sources);

    CCertList list; // the certificates live in the dialog's stores
    CDlgEncryptFile dialog(&list, parent);
    dialog.SetSourcePaths(paths);
    if (dialog.exec() != QDialog::Accepted)
        return res::IDCANCEL;
    for (int i = 1; i < list.GetCount(); ++i) {
        std::string email;
        if (CDigitalCertificate* cert = list.GetAt(i); cert && cert->getEmail(email) == 0 && !email.empty())
            out.recipientEmails.push_back(email);
    }

    std::vector<kvx::BatchFile> files;
    for (const QString& path : paths) {
        kvx::BatchFile file{utf8(path), utf8(path) + ".kvx"};
        askOverwrite(parent, file, file.target, "您所指定加密的文件已经存在，要覆盖它吗？");
        files.push_back(std::move(file));
    }
    return runProgress(CDlgBatchProgress::Encrypt, std::move(files), parent, out,
                       {&list, utf8(dialog.password()), dialog.deleteSource()}, {});
}

int RunDecryptBatch(const QStringList& sources, QWidget* parent, BatchFlowOutcome* outcome) {
    BatchFlowOutcome local;
    BatchFlowOutcome& out = outcome ? *outcome : local;
    out = BatchFlowOutcome{};
    const QStringList paths = cleanPaths(sources);

    // The heads tell the names written and whether a password is needed; a file whose head
    // cannot be read fails in the job with the reader's reason.
    std::vector<kvx::DecryptHead> heads(static_cast<size_t>(paths.size()));
    std::vector<bool> readable(heads.size());
    int first = -1;
    bool anyProtected = false;
    for (size_t i = 0; i < heads.size(); ++i) {
        std::string message;
        readable[i] = kvx::ReadDecryptHead(utf8(paths[static_cast<int>(i)]), heads[i], message) == 1;
        if (readable[i] && heads[i].version == kvx::Version::V2) {
            anyProtected = anyProtected || heads[i].isProtected();
            if (first < 0)
                first = static_cast<int>(i);
        }
    }

    kvx::DecryptBatchOptions options;
    if (first >= 0) {
        CDlgDecryptFile dialog(parent);
        dialog.SetSourcePath(paths[first]);
        dialog.SetSeveral(static_cast<int>(paths.size()));
        if (dialog.exec() != QDialog::Accepted)
            return res::IDCANCEL;
        const int record = dialog.chosenRecord();
        if (record >= 0 && static_cast<size_t>(record) < dialog.head().records.size())
            options.certThumbprint =
                kvx::KavexEncStruct::fromBytes(dialog.head().records[static_cast<size_t>(record)]).thumbprint;
    }
    if (anyProtected) {
        CDlgEnterPassword ask(parent);
        if (ask.exec() != QDialog::Accepted) {
            say(parent, "解密失败！", MsgIcon::Information);
            return res::IDCANCEL;
        }
        options.password = utf8(ask.password());
    }

    std::vector<kvx::BatchFile> files;
    for (size_t i = 0; i < heads.size(); ++i) {
        kvx::BatchFile file{utf8(paths[static_cast<int>(i)]), {}};
        if (readable[i] && heads[i].version == kvx::Version::V2)
            askOverwrite(parent, file, kvx::decryptedPath(heads[i], file.source, {}),
                         "您所指定的解密文件已经存在，要覆盖它吗？");
        files.push_back(std::move(file));
    }
    return runProgress(CDlgBatchProgress::Decrypt, std::move(files), parent, out, {}, options);
}

} // namespace yx
