// The other people's certificate page. Imports certificate files and certificates found in the
// directory (LDAP); exports DER files. Its messages end in the half-width "!", except those of
// the directory import.
#pragma once

#include "CertListPage.h"

namespace yx {

class OtherPeopleCertPage : public CertListPage {
    Q_OBJECT
public:
    explicit OtherPeopleCertPage(QWidget* parent = nullptr);

protected:
    void exportSelected(CDigitalCertificate& cert) override;
    void importFromFile(const QString& path) override;
    bool onPageCommand(int id) override;

private:
    void importFromDirectory();
};

} // namespace yx
