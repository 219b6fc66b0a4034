#include "DlgExportCert.h"

#include "dialogs/DialogKit.h"

using namespace yx::dlgkit;

CDlgExportCert::CDlgExportCert(QWidget* parent)
    : CertFileDialog(IDD, QStringLiteral("导出证书"), QStringLiteral("证书导出为:"), /*save=*/true, parent) {}

void CDlgExportCert::accept() {
    const QString& path = takeOverPath();
    if (path.isEmpty()) {
        say(this, "文件名不能为空！", yx::MsgIcon::Warning);
        return;
    }
    // The path as typed; the page adds ".cer" afterwards when it is missing.
    if (pathExists(path) && !confirmOverwrite(this))
        return;
    QDialog::accept();
}
