// CDlgExportCert: asks where to export a certificate as a DER file. The page appends ".cer".
#pragma once

#include "CertFileDialog.h"
#include "dialogs/DialogIds.h"

class CDlgExportCert : public CertFileDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_EXPORT_CERT;

    explicit CDlgExportCert(QWidget* parent = nullptr);

public slots:
    // Checks in order: path given, overwrite confirmed.
    void accept() override;
};
