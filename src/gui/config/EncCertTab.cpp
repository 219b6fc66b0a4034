#include "EncCertTab.h"

#include "Settings.h"
#include "dialogs/DialogKit.h"
#include "dialogs/DlgSelectCert.h"
#include "encryption/EncDialogIds.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace yx;
using namespace yx::dlgkit;

CEncCertTab::CEncCertTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(res::IDD_ENC_CERT_TAB));
    auto* intro = new QLabel(
        QStringLiteral("文件加密时总是同时使用默认加密证书加密，以便您本人能够解密加密后的文件。"), this);
    intro->setWordWrap(true);
    auto* label = new QLabel(QStringLiteral("默认加密证书(&D)："), this);
    m_name = withId(new QLineEdit(this), res::IDC_ENCTAB_NAME);
    m_name->setReadOnly(true);
    label->setBuddy(m_name);
    QPushButton* chooseButton = sideButton(this, res::IDC_ENCTAB_CHOOSE, QStringLiteral("选择..."));
    m_view = sideButton(this, res::IDC_ENCTAB_VIEW, QStringLiteral("查看"));

    auto* row = new QGridLayout;
    row->addWidget(label, 0, 0);
    row->addWidget(m_name, 0, 1);
    row->addWidget(chooseButton, 0, 2);
    row->addWidget(m_view, 0, 3);
    row->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addLayout(row);
    layout->addStretch(1);
    setTabOrder(m_name, chooseButton);
    setTabOrder(chooseButton, m_view);

    connect(chooseButton, &QPushButton::clicked, this, &CEncCertTab::choose);
    connect(m_view, &QPushButton::clicked, this, &CEncCertTab::view);

    m_my.OpenCertStore();
    m_view->setEnabled(false);
    QString hash = qstr(settings::defaultEncCertHash());
    hash.remove(QLatin1Char(' '));
    if (!hash.isEmpty())
        m_chosen = m_my.FindByThumb(utf8(hash));
    if (m_chosen) {
        m_name->setText(certText(m_chosen, &CDigitalCertificate::getDisplayName));
        m_view->setEnabled(true);
    }
}

QString CEncCertTab::shownName() const {
    return m_name->text();
}

std::string CEncCertTab::settingValue() const {
    std::string thumb;
    if (m_chosen && !m_name->text().isEmpty())
        m_chosen->getThumbPrint(thumb);
    return thumb;
}

bool CEncCertTab::WriteSetting() const {
    return settings::WriteProfileString("DefaultEncCert", "CertHash", settingValue());
}

void CEncCertTab::choose() {
    m_my.SetFilter("KeyUsage", "Crypt"); // only certificates usable for encryption are offered
    CDlgSelectCert chooser(&m_my, QStringLiteral("设置默认的加密证书"), this);
    if (chooser.exec() != QDialog::Accepted)
        return;
    if (chooser.selection() < 0) {
        m_view->setEnabled(false);
        return;
    }
    CDigitalCertificate* cert = m_my.getCert(chooser.selection());
    if (!cert)
        return;
    m_chosen = cert;
    m_name->setText(certText(cert, &CDigitalCertificate::getDisplayName));
    m_view->setEnabled(true);
}

void CEncCertTab::view() {
    if (m_chosen)
        m_chosen->Display();
}
