#include "DlgExportPfx.h"

#include "CertDialogKit.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace yx::certdlg;
namespace res = yx::res;

CDlgExportPfx::CDlgExportPfx(QWidget* parent) : QDialog(parent) {
    setObjectName(QString::number(IDD));
    setWindowTitle(QStringLiteral("导出证书"));

    m_pathEdit = pathEdit(this, res::IDC_CERTDLG_PATH);
    QPushButton* browse = browseButton(this, res::IDC_CERTDLG_BROWSE);
    m_passwordEdit = passwordEdit(this, res::IDC_PFX_EXPORT_PASSWORD);
    m_confirmEdit = passwordEdit(this, res::IDC_PFX_EXPORT_CONFIRM);

    auto* pathLabel = new QLabel(QStringLiteral("请选择要导出的个人证书文件（.PFX）："), this);
    pathLabel->setBuddy(m_pathEdit);
    auto* passwordLabel = new QLabel(QStringLiteral("密码:"), this);
    passwordLabel->setBuddy(m_passwordEdit);
    auto* confirmLabel = new QLabel(QStringLiteral("确认密码:"), this);
    confirmLabel->setBuddy(m_confirmEdit);

    auto* grid = new QGridLayout;
    grid->addWidget(pathLabel, 0, 0, 1, 3);
    grid->addWidget(m_pathEdit, 1, 0, 1, 2);
    grid->addWidget(browse, 1, 2);
    grid->addWidget(passwordLabel, 2, 0);
    grid->addWidget(m_passwordEdit, 2, 1, 1, 2);
    grid->addWidget(confirmLabel, 3, 0);
    grid->addWidget(m_confirmEdit, 3, 1, 1, 2);
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(okCancelButtons(this));

    connect(browse, &QPushButton::clicked, this, &CDlgExportPfx::onBrowse);
    setTabOrder(m_pathEdit, browse);
    setTabOrder(browse, m_passwordEdit);
    setTabOrder(m_passwordEdit, m_confirmEdit);

    refresh();
    fitDialog(this, 26);
}

void CDlgExportPfx::takeOver() {
    m_path = m_pathEdit->text();
    m_password = m_passwordEdit->text();
    m_confirm = m_confirmEdit->text();
}

void CDlgExportPfx::refresh() {
    m_pathEdit->setText(m_path);
    m_passwordEdit->setText(m_password);
    m_confirmEdit->setText(m_confirm);
}

void CDlgExportPfx::onBrowse() {
    const std::optional<QString> chosen = choosePath(this, true, "pfx", "PFX Files (*.pfx)|*.pfx||");
    if (!chosen)
        return;
    m_path = *chosen;
    refresh(); // passwords typed since the last OK go back to the accepted values
}

void CDlgExportPfx::accept() {
    takeOver();
    if (m_path.isEmpty()) {
        say(this, "文件名不能为空！", yx::MsgIcon::Warning);
        return;
    }
    if (m_password != m_confirm) {
        say(this, "密码不相同，请确保密码相同！", yx::MsgIcon::Error);
        return;
    }
    // The path as typed; the page adds ".pfx" afterwards when it is missing.
    if (pathExists(m_path) && !confirmOverwrite(this))
        return;
    QDialog::accept();
}
