#include "DlgImportPfx.h"

#include "CertDialogKit.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace yx::certdlg;
namespace res = yx::res;

CDlgImportPfx::CDlgImportPfx(QWidget* parent)
    : QDialog(parent), m_provider(QString::fromUtf8(kDefaultProvider)) {
    setObjectName(QString::number(IDD));
    setWindowTitle(QStringLiteral("导入证书"));

    m_pathEdit = pathEdit(this, res::IDC_PFX_IMPORT_PATH);
    QPushButton* browse = browseButton(this, res::IDC_CERTDLG_BROWSE);
    m_passwordEdit = passwordEdit(this, res::IDC_PFX_IMPORT_PASSWORD);
    m_providerList = withId(new QComboBox(this), res::IDC_PFX_IMPORT_PROVIDER);
    // Sorted, as the list always was: the empty entry (no provider named) comes first.
    m_providerList->addItem(QString());
    m_providerList->addItem(QString::fromUtf8(kDefaultProvider));

    auto* pathLabel = new QLabel(QStringLiteral("请选择要导入的个人证书文件（.PFX）："), this);
    pathLabel->setBuddy(m_pathEdit);
    auto* passwordLabel = new QLabel(QStringLiteral("保护口令："), this);
    passwordLabel->setBuddy(m_passwordEdit);
    auto* providerLabel = new QLabel(QStringLiteral("选择导入设备："), this);
    providerLabel->setBuddy(m_providerList);

    auto* grid = new QGridLayout;
    grid->addWidget(pathLabel, 0, 0, 1, 3);
    grid->addWidget(m_pathEdit, 1, 0, 1, 2);
    grid->addWidget(browse, 1, 2);
    grid->addWidget(passwordLabel, 2, 0);
    grid->addWidget(m_passwordEdit, 2, 1, 1, 2);
    grid->addWidget(providerLabel, 3, 0);
    grid->addWidget(m_providerList, 3, 1, 1, 2);
    grid->setColumnStretch(1, 1);

    QDialogButtonBox* buttons = okCancelButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(buttons);

    connect(browse, &QPushButton::clicked, this, &CDlgImportPfx::onBrowse);
    setTabOrder(m_pathEdit, browse);
    setTabOrder(browse, m_passwordEdit);
    setTabOrder(m_passwordEdit, m_providerList);

    refresh();
    fitDialog(this, 26);
}

void CDlgImportPfx::takeOver() {
    m_path = m_pathEdit->text();
    m_password = m_passwordEdit->text();
    m_provider = m_providerList->currentText();
}

void CDlgImportPfx::refresh() {
    m_pathEdit->setText(m_path);
    m_passwordEdit->setText(m_password);
    m_providerList->setCurrentIndex(m_providerList->findText(m_provider));
}

void CDlgImportPfx::onBrowse() {
    const std::optional<QString> chosen = choosePath(this, false, "pfx", "PFX Files (*.pfx)|*.pfx||");
    if (!chosen)
        return;
    m_path = *chosen;
    refresh(); // what was typed since the dialog opened goes back to the accepted values
}

void CDlgImportPfx::accept() {
    takeOver();
    QDialog::accept();
}
