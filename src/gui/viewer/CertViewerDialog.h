// The certificate viewer window "证书": general, details and certification path tabs, read-only.
#pragma once

#include "CertChain.h"
#include "CertContext.h"

#include <QDialog>
#include <memory>

class CDigitalCertificate;
class QTabWidget;

namespace yx::viewer {

class CertViewerDialog : public QDialog {
    Q_OBJECT
public:
    // Builds the path from the program's stores and the system trust folder.
    explicit CertViewerDialog(yx::CertContextPtr cert, QWidget* parent = nullptr);
    // With a path built by the caller.
    CertViewerDialog(yx::CertContextPtr cert, yx::CertChain chain, QWidget* parent = nullptr);
    ~CertViewerDialog() override;

    QTabWidget* tabs() const { return m_tabs; }
    const yx::CertChain& chain() const { return m_chain; }

private:
    void build();

    std::unique_ptr<CDigitalCertificate> m_cert;
    yx::CertChain m_chain;
    QTabWidget* m_tabs = nullptr;
};

// True when the personal store holds this certificate together with its private key.
bool personalStoreHasKey(CDigitalCertificate& cert);

} // namespace yx::viewer
