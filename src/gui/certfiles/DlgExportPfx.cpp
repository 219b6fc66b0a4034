#include "DlgExportPfx.h"

#include "dialogs/DialogKit.h"

#include <QLineEdit>

using namespace yx::dlgkit;
namespace res = yx::res;

CDlgExportPfx::CDlgExportPfx(QWidget* parent)
    : PfxFileDialog(IDD, QStringLiteral("导出证书"), /*save=*/true, res::IDC_CERTDLG_PATH,
                    res::IDC_PFX_EXPORT_PASSWORD, parent) {
    m_confirmEdit = passwordEdit(this, res::IDC_PFX_EXPORT_CONFIRM);
    finishLayout(QStringLiteral("请选择要导出的个人证书文件（.PFX）："), QStringLiteral("密码:"),
                 QStringLiteral("确认密码:"), m_confirmEdit);
}

void CDlgExportPfx::takeOverThird() {
    m_confirm = m_confirmEdit->text();
}

void CDlgExportPfx::refreshThird() {
    m_confirmEdit->setText(m_confirm);
}

void CDlgExportPfx::accept() {
    takeOver();
    if (path().isEmpty()) {
        say(this, "文件名不能为空！", yx::MsgIcon::Warning);
        return;
    }
    if (password() != m_confirm) {
        say(this, "密码不相同，请确保密码相同！", yx::MsgIcon::Error);
        return;
    }
    // The path as typed; the page adds ".pfx" afterwards when it is missing.
    if (pathExists(path()) && !confirmOverwrite(this))
        return;
    QDialog::accept();
}
