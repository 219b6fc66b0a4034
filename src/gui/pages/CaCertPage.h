// The CA certificate page: certification authorities' certificates. Imports and exports DER
// certificate files; no delete and no revocation column. Its messages end in the full-width "！".
#pragma once

#include "CertListPage.h"

namespace yx {

class CaCertPage : public CertListPage {
    Q_OBJECT
public:
    explicit CaCertPage(QWidget* parent = nullptr);

protected:
    void exportSelected(CDigitalCertificate& cert) override;
    void importFromFile(const QString& path) override;
};

} // namespace yx
