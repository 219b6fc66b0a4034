#include "CertViewerDialog.h"

#include "CertDetailsTab.h"
#include "CertGeneralTab.h"
#include "CertIcons.h"
#include "CertPathTab.h"
#include "CertStore.h"
#include "DigitalCertificate.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace yx::viewer {

bool personalStoreHasKey(CDigitalCertificate& cert) {
    std::string thumb;
    if (cert.getThumbPrint(thumb) != 0 || thumb.empty())
        return false;
    CMyCertStore store;
    if (store.OpenCertStore() != 0)
        return false;
    CDigitalCertificate* mine = store.FindByThumb(thumb);
    return mine && mine->getPCCERT() && mine->getPCCERT()->hasPrivateKey();
}

CertViewerDialog::CertViewerDialog(yx::CertContextPtr cert, QWidget* parent)
    : QDialog(parent), m_cert(std::make_unique<CDigitalCertificate>(cert)) {
    if (cert && cert->x509)
        m_chain = yx::buildCertChain(cert->x509.get(), yx::candidatesFromStores());
    build();
}

CertViewerDialog::CertViewerDialog(yx::CertContextPtr cert, yx::CertChain chain, QWidget* parent)
    : QDialog(parent), m_cert(std::make_unique<CDigitalCertificate>(cert)), m_chain(std::move(chain)) {
    build();
}

CertViewerDialog::~CertViewerDialog() = default;

void CertViewerDialog::build() {
    setWindowTitle(QStringLiteral("证书"));
    setWindowIcon(certificateIcon());
    setObjectName(QStringLiteral("certViewer"));

    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    layout->addWidget(m_tabs);

    if (m_cert->getPCCERT() && m_cert->getPCCERT()->x509) {
        auto* general = new CertGeneralTab(*m_cert, m_chain, personalStoreHasKey(*m_cert), m_tabs);
        general->setObjectName(QStringLiteral("generalTab"));
        m_tabs->addTab(general, QStringLiteral("常规"));
        auto* details = new CertDetailsTab(*m_cert, m_tabs);
        details->setObjectName(QStringLiteral("detailsTab"));
        m_tabs->addTab(details, QStringLiteral("详细信息"));
        auto* path = new CertPathTab(m_chain, m_tabs);
        path->setObjectName(QStringLiteral("pathTab"));
        m_tabs->addTab(path, QStringLiteral("证书路径"));
        connect(path, &CertPathTab::viewRequested, this, [this](yx::CertContextPtr other) {
            CertViewerDialog nested(other, this);
            nested.exec();
        });
    }

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    const int em = fontMetrics().height();
    resize(em * 36, em * 36);
}

} // namespace yx::viewer
