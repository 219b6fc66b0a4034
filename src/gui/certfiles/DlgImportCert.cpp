#include "DlgImportCert.h"

#include "dialogs/DialogKit.h"

using namespace yx::dlgkit;

CDlgImportCert::CDlgImportCert(QWidget* parent)
    : CertFileDialog(IDD, QStringLiteral("导入证书"), QStringLiteral("请选择要导入的证书:"), /*save=*/false,
                     parent) {}

void CDlgImportCert::accept() {
    const QString& path = takeOverPath();
    if (path.isEmpty()) {
        say(this, "文件名不能为空!", yx::MsgIcon::Warning);
        return;
    }
    if (!pathExists(path)) {
        say(this, "您所要导入的证书路径错误!", yx::MsgIcon::Error);
        return;
    }
    QDialog::accept();
}
