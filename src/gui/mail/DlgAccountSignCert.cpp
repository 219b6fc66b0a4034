#include "DlgAccountSignCert.h"

#include "MailDialogKit.h"
#include "PropertyRecords.h"
#include "dialogs/DlgSelectCert.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace yx;
using namespace yx::dlgkit;
using namespace yx::maildlg;

CDlgAccountSignCert::CDlgAccountSignCert(CEmailAccount* account, QWidget* parent)
    : QDialog(parent), m_account(account) {
    setObjectName(QString::number(IDD));
    setWindowTitle(QStringLiteral("设置帐户证书"));
    m_signName = withId(new QLineEdit(this), res::IDC_ACCOUNT_SIGN_NAME);
    m_signName->setReadOnly(true);
    QPushButton* choose = sideButton(this, res::IDC_ACCOUNT_SIGN_ONLY_CHOOSE, QStringLiteral("选择..."));
    QDialogButtonBox* buttons = okCancelButtons(this);
    m_ok = buttons->findChild<QPushButton*>(QString::number(res::IDOK));

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("签名证书："), this));
    row->addWidget(m_signName, 1);
    row->addWidget(choose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addStretch(1);
    layout->addWidget(buttons);
    fitDialog(this, 28);

    if (m_account && m_account->getSignCert())
        m_signName->setText(displayName(m_account->getSignCert()));
    openFiltered(m_store, accountEmail(m_account), nullptr);
    connect(choose, &QPushButton::clicked, this, &CDlgAccountSignCert::choose);
}

void CDlgAccountSignCert::choose() {
    CDlgSelectCert chooser(&m_store, QStringLiteral("选择默认帐户数字 ID"), this);
    if (chooser.exec() != QDialog::Accepted || chooser.selection() < 0)
        return;
    if (CDigitalCertificate* cert = m_store.getCert(chooser.selection())) {
        m_signCert = cert;
        m_signName->setText(displayName(cert));
    }
}
