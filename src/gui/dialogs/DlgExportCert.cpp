#include "DlgExportCert.h"

#include "CertDialogKit.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace yx::certdlg;
namespace res = yx::res;

CDlgExportCert::CDlgExportCert(QWidget* parent) : QDialog(parent) {
    setObjectName(QString::number(IDD));
    setWindowTitle(QStringLiteral("导出证书"));

    m_pathEdit = pathEdit(this, res::IDC_CERTDLG_PATH);
    QPushButton* browse = browseButton(this, res::IDC_CERTDLG_BROWSE);
    auto* pathLabel = new QLabel(QStringLiteral("证书导出为:"), this);
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

    connect(browse, &QPushButton::clicked, this, &CDlgExportCert::onBrowse);
    setTabOrder(m_pathEdit, browse);
    fitDialog(this, 24);
}

void CDlgExportCert::onBrowse() {
    const std::optional<QString> chosen = choosePath(this, true, "cer", "CER Files (*.cer)|*.cer||");
    if (!chosen)
        return;
    m_path = *chosen;
    m_pathEdit->setText(m_path);
}

void CDlgExportCert::accept() {
    m_path = m_pathEdit->text();
    if (m_path.isEmpty()) {
        say(this, "文件名不能为空！", yx::MsgIcon::Warning);
        return;
    }
    // The path as typed; the page adds ".cer" afterwards when it is missing.
    if (pathExists(m_path) && !confirmOverwrite(this))
        return;
    QDialog::accept();
}
