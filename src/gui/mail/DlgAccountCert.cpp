#include "DlgAccountCert.h"

#include "MailDialogKit.h"
#include "PropertyRecords.h"
#include "dialogs/DlgSelectCert.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace yx;
using namespace yx::dlgkit;
using namespace yx::maildlg;

namespace {
const char* const kChooserTitle = "选择默认帐户数字 ID";

QLineEdit* nameField(QWidget* parent, int id) {
    auto* edit = withId(new QLineEdit(parent), id);
    edit->setReadOnly(true);
    return edit;
}
} // namespace

CDlgAccountCert::CDlgAccountCert(CEmailAccount* account, QWidget* parent)
    : QDialog(parent), m_account(account) {
    setObjectName(QString::number(IDD));
    setWindowTitle(QStringLiteral("设置帐户证书"));
    m_signName = nameField(this, res::IDC_ACCOUNT_SIGN_NAME);
    m_cryptName = nameField(this, res::IDC_ACCOUNT_CRYPT_NAME);
    QPushButton* chooseSign = sideButton(this, res::IDC_ACCOUNT_SIGN_CHOOSE, QStringLiteral("选择..."));
    QPushButton* chooseCrypt = sideButton(this, res::IDC_ACCOUNT_CRYPT_CHOOSE, QStringLiteral("选择..."));

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("签名证书："), this), 0, 0);
    grid->addWidget(m_signName, 0, 1);
    grid->addWidget(chooseSign, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("加密证书："), this), 1, 0);
    grid->addWidget(m_cryptName, 1, 1);
    grid->addWidget(chooseCrypt, 1, 2);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addWidget(okCancelButtons(this));
    fitDialog(this, 28);

    if (m_account) {
        m_signCert = m_account->getSignCert();
        m_cryptCert = m_account->getCryptCert();
    }
    m_signName->setText(m_signCert ? shownName(m_signCert) : QString());
    m_cryptName->setText(m_cryptCert ? shownName(m_cryptCert) : QString());
    const std::string email = accountEmail(m_account);
    openFiltered(m_signStore, email, "Sign");
    openFiltered(m_cryptStore, email, "Crypt");

    connect(chooseSign, &QPushButton::clicked, this,
            [this] { choose(m_signStore, "Sign", m_signCert, m_signName); });
    connect(chooseCrypt, &QPushButton::clicked, this,
            [this] { choose(m_cryptStore, "Crypt", m_cryptCert, m_cryptName); });
}

bool CDlgAccountCert::choose(CMyCertStore& store, const char* usage, CDigitalCertificate*& chosen,
                             QLineEdit* name) {
    store.SetFilter("KeyUsage", usage);
    CDlgSelectCert chooser(&store, QString::fromUtf8(kChooserTitle), this);
    if (chooser.exec() != QDialog::Accepted || chooser.selection() < 0)
        return false;
    CDigitalCertificate* cert = store.getCert(chooser.selection());
    if (!cert)
        return false;
    chosen = cert;
    name->setText(shownName(cert));
    return true;
}
