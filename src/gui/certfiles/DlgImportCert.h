// CDlgImportCert: asks for a certificate file to import into the other-people or CA store and
// checks that it is there.
#pragma once

#include "CertFileDialog.h"
#include "dialogs/DialogIds.h"

class CDlgImportCert : public CertFileDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_IMPORT_CERT;

    explicit CDlgImportCert(QWidget* parent = nullptr);

public slots:
    // Checks in order: path given, file present.
    void accept() override;
};
