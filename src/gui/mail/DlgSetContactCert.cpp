#include "DlgSetContactCert.h"

#include "DigitalCertificate.h"
#include "dialogs/CertSource.h"
#include "dialogs/DlgImportSystemCert.h"
#include "directory/DlgLdapResult.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace yx;
using namespace yx::dlgkit;
using namespace yx::maildlg;

CDlgSetContactCert::CDlgSetContactCert(CDigitalCertificate* current, const QString& email, QWidget* parent)
    : QDialog(parent), m_current(current), m_email(email) {
    setObjectName(QString::number(IDD));
    setWindowTitle(QStringLiteral("设置联系人证书"));

    m_name = withId(new QLineEdit(this), res::IDC_CONTACT_CERT_NAME);
    m_name->setReadOnly(true);
    QPushButton* fromStore = sideButton(this, res::IDC_CONTACT_IMPORT_STORE, QStringLiteral("从系统导入..."));
    QPushButton* fromDirectory =
        sideButton(this, res::IDC_CONTACT_IMPORT_LDAP, QStringLiteral("LDAP搜索..."));
    m_view = sideButton(this, res::IDC_CONTACT_VIEW, QStringLiteral("查看证书"));
    m_remove = sideButton(this, res::IDC_CONTACT_REMOVE, QStringLiteral("删除证书"));

    auto* group = new QGroupBox(QStringLiteral("设置加密证书"), this);
    auto* grid = new QGridLayout(group);
    grid->addWidget(m_name, 0, 0);
    grid->addWidget(m_view, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("删除默认的加密证书"), this), 1, 0);
    grid->addWidget(m_remove, 1, 1);
    auto* importGroup = new QGroupBox(QStringLiteral("导入证书"), this);
    auto* importGrid = new QGridLayout(importGroup);
    importGrid->addWidget(new QLabel(QStringLiteral("LDAP搜索功能完成从LDAP搜索证书"), this), 0, 0);
    importGrid->addWidget(fromDirectory, 0, 1);
    importGrid->addWidget(new QLabel(QStringLiteral("从系统导入功能完成从个人证书库"), this), 1, 0);
    importGrid->addWidget(fromStore, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(importGroup);
    layout->addWidget(okCancelButtons(this));
    fitDialog(this, 26);

    setChosen(m_current);
    openFiltered(m_store, utf8(m_email), "Crypt");

    connect(fromStore, &QPushButton::clicked, this, &CDlgSetContactCert::importFromStore);
    connect(fromDirectory, &QPushButton::clicked, this, &CDlgSetContactCert::importFromDirectory);
    connect(m_remove, &QPushButton::clicked, this, &CDlgSetContactCert::remove);
    connect(m_view, &QPushButton::clicked, this, [this] {
        if (m_chosen)
            m_chosen->Display();
    });
}

CDlgSetContactCert::~CDlgSetContactCert() = default;

void CDlgSetContactCert::setChosen(CDigitalCertificate* cert) {
    m_chosen = cert;
    m_name->setText(cert ? displayName(cert) : QString());
    m_view->setEnabled(cert != nullptr);
    m_remove->setEnabled(cert != nullptr);
}

void CDlgSetContactCert::importFromStore() {
    CDlgImportSystemCert dialog(&m_store, m_email, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The returned certificate becomes the choice even when there is none.
    CDigitalCertificate* cert = dialog.GetCert();
    m_chosen = cert;
    if (cert)
        setChosen(cert);
}

void CDlgSetContactCert::importFromDirectory() {
    OwnedCerts found;
    if (!lookUpContact(this, utf8(m_email), found))
        return;
    m_found.push_back(std::move(found)); // the chosen one lives as long as the dialog
    const CCertVectorSource source(m_found.back());
    CDlgLdapResult dialog(source, m_email, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    CDigitalCertificate* cert = dialog.GetSelectedCert();
    if (!cert)
        return;
    COtherCertStore others;
    if (others.ImportCert(cert) != 0) {
        say(this, "从LDAP导入证书失败！", MsgIcon::Error);
        return;
    }
    setChosen(cert);
}

void CDlgSetContactCert::remove() {
    m_current = nullptr;
    setChosen(nullptr);
}
