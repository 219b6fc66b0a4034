#include "DlgImportCert.h"

#include "CertDialogKit.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace yx::certdlg;
namespace res = yx::res;

CDlgImportCert::CDlgImportCert(QWidget* parent) : QDialog(parent) {
    setObjectName(QString::number(IDD));
    setWindowTitle(QStringLiteral("导入证书"));

    m_pathEdit = pathEdit(this, res::IDC_CERTDLG_PATH);
    QPushButton* browse = browseButton(this, res::IDC_CERTDLG_BROWSE);
    auto* pathLabel = new QLabel(QStringLiteral("请选择要导入的证书:"), this);
    pathLabel->setBuddy(m_pathEdit);

    auto* grid = new QGridLayout;
    grid->addWidget(pathLabel, 0, 0, 1, 2);
    grid->addWidget(m_pathEdit, 1, 0);
    grid->addWidget(browse, 1, 1);
    grid->setColumnStretch(0, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(okCancelButtons(this));

    connect(browse, &QPushButton::clicked, this, &CDlgImportCert::onBrowse);
    setTabOrder(m_pathEdit, browse);
    fitDialog(this, 24);
}

void CDlgImportCert::onBrowse() {
    const std::optional<QString> chosen = choosePath(this, false, "cer", "CER Files (*.cer)|*.cer||");
    if (!chosen)
        return;
    m_path = *chosen;
    m_pathEdit->setText(m_path);
}

void CDlgImportCert::accept() {
    m_path = m_pathEdit->text();
    if (m_path.isEmpty()) {
        say(this, "文件名不能为空!", yx::MsgIcon::Warning);
        return;
    }
    if (!pathExists(m_path)) {
        say(this, "您所要导入的证书路径错误!", yx::MsgIcon::Error);
        return;
    }
    QDialog::accept();
}
