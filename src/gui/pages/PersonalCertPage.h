// The personal certificate page: the user's own certificates (with private keys). Imports and
// exports PFX files; its messages end in the full-width "！".
#pragma once

#include "CertListPage.h"

namespace yx {

class PersonalCertPage : public CertListPage {
    Q_OBJECT
public:
    explicit PersonalCertPage(QWidget* parent = nullptr);

protected:
    void exportSelected(CDigitalCertificate& cert) override;
    void importFromFile(const QString& path) override;
};

} // namespace yx
