#include "DlgImportSystemCert.h"

#include "CertStore.h"
#include "DigitalCertificate.h"
#include "directory/CertResultList.h"
#include "mail/MailDialogKit.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

using namespace yx;
using namespace yx::dlgkit;
using namespace yx::maildlg;

CDlgImportSystemCert::CDlgImportSystemCert(CCertStore* store, const QString& title, QWidget* parent)
    : QDialog(parent), m_store(store) {
    setObjectName(QString::number(IDD));
    const QString caption = QStringLiteral("从系统导入证书");
    setWindowTitle(title.isEmpty() ? caption : caption + QStringLiteral(" - ") + title);

    m_list = withId(new CertResultList({{QStringLiteral("颁发给"), 80},
                                        {QStringLiteral("颁发者"), 80},
                                        {QStringLiteral("截止日期"), 80},
                                        {QStringLiteral("好记的名字"), 80},
                                        {QStringLiteral("证书状态"), 80}},
                                       this),
                    res::IDC_IMPORT_SYSTEM_LIST);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    const int count = m_store ? m_store->GetCertCount() : 0;
    for (int i = 0; i < count; ++i) {
        CDigitalCertificate* cert = m_store->getCert(i);
        // The status column stays empty: the certificates are not checked here.
        m_list->addRow({displayName(cert), certText(cert, &CDigitalCertificate::getIssuerCN),
                        certText(cert, &CDigitalCertificate::getValidToDate),
                        certText(cert, &CDigitalCertificate::getFriendlyName), QString()});
    }

    m_view = sideButton(this, res::IDC_IMPORT_SYSTEM_VIEW, QStringLiteral("查看证书"));
    m_view->setEnabled(false);
    m_ok = chooserLayout(this, m_list, m_view, okCancelButtons(this));

    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] {
        select(m_list->changingByKeyboard() ? m_list->indexOfTopLevelItem(m_list->currentItem())
                                            : m_list->rowUnderCursor());
    });
    m_list->onPress = [this](int row) { select(row); };
    m_list->onDoubleClick = [this] {
        select(m_list->rowUnderCursor());
        view();
    };
    connect(m_view, &QPushButton::clicked, this, &CDlgImportSystemCert::view);
    const int em = fontMetrics().height();
    resize(std::max(5 * 80 + 3 * em, 26 * em), 16 * em);
}

CDigitalCertificate* CDlgImportSystemCert::GetCert() const {
    return m_row >= 0 && m_store ? m_store->getCert(m_row) : nullptr;
}

void CDlgImportSystemCert::select(int row) {
    m_row = row;
    m_ok->setEnabled(row >= 0);
    m_view->setEnabled(row >= 0);
}

void CDlgImportSystemCert::view() {
    if (CDigitalCertificate* cert = GetCert())
        cert->Display();
}
