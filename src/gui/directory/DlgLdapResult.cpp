#include "DlgLdapResult.h"

#include "CertResultList.h"
#include "DigitalCertificate.h"
#include "dialogs/CertSource.h"
#include "dialogs/DialogKit.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace yx::dlgkit;
namespace res = yx::res;

QString CDlgLdapResult::countText(int count, const QString& email) {
    return QStringLiteral("总共找到") + QString::number(count) + QStringLiteral("个与邮件“") + email +
           QStringLiteral("”对应的证书");
}

CDlgLdapResult::CDlgLdapResult(const CCertSource& source, const QString& email, QWidget* parent)
    : QDialog(parent), m_source(source), m_email(email) {
    setObjectName(QString::number(IDD));
    setWindowTitle(QStringLiteral("从LDAP上导入证书"));

    const int count = m_source.GetCertCount();
    m_label = withId(new QLabel(countText(count, m_email), this), res::IDC_LDAP_RESULT_LABEL);
    m_label->setWordWrap(true);

    m_list = withId(new yx::CertResultList({{QStringLiteral("颁发给"), 90},
                                            {QStringLiteral("颁发者"), 85},
                                            {QStringLiteral("截止日期"), 85},
                                            {QStringLiteral("证书状态"), 85}},
                                           this),
                    res::IDC_LDAP_RESULT_LIST);
    for (int i = 0; i < count; ++i) {
        CDigitalCertificate* cert = m_source.getCert(i);
        // The status column stays empty: these certificates are not checked here.
        m_list->addRow({certText(cert, &CDigitalCertificate::getDisplayName),
                        certText(cert, &CDigitalCertificate::getIssuerCN),
                        certText(cert, &CDigitalCertificate::getValidToDate), QString()});
    }
    m_list->onPress = [this](int row) { select(row); };
    m_list->onDoubleClick = [this] { view(); };
    // Keyboard users move the selection with the arrow keys.
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (m_list->changingByKeyboard())
            select(current ? m_list->indexOfTopLevelItem(current) : -1);
    });

    m_viewButton = withId(new QPushButton(QStringLiteral("查看证书"), this), res::IDC_LDAP_RESULT_VIEW);
    m_viewButton->setAutoDefault(false);
    connect(m_viewButton, &QPushButton::clicked, this, &CDlgLdapResult::view);

    QDialogButtonBox* buttons = okCancelButtons(this);
    m_okButton = buttons->findChild<QPushButton*>(QString::number(res::IDOK));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_viewButton);
    bottom->addStretch(1);
    bottom->addWidget(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);
    setTabOrder(m_list, m_viewButton);
    setTabOrder(m_viewButton, m_okButton);

    m_viewButton->setEnabled(false);
    m_okButton->setEnabled(false);

    const int em = fontMetrics().height();
    resize(std::max(em * 26, 90 + 85 * 3 + em * 3), em * 18);
}

CDigitalCertificate* CDlgLdapResult::GetSelectedCert() const {
    return m_selected < 0 ? nullptr : m_source.getCert(m_selected);
}

void CDlgLdapResult::select(int row) {
    m_selected = row;
    m_viewButton->setEnabled(row >= 0);
    m_okButton->setEnabled(row >= 0);
}

void CDlgLdapResult::view() {
    if (CDigitalCertificate* cert = GetSelectedCert())
        cert->Display();
}
