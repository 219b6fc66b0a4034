// CDlgExportPfx: asks where to export a personal certificate as PFX and for the password that
// protects the file (typed twice). The personal page appends ".pfx" and exports.
#pragma once

#include "PfxFileDialog.h"
#include "dialogs/DialogIds.h"

class CDlgExportPfx : public PfxFileDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_EXPORT_PFX;

    explicit CDlgExportPfx(QWidget* parent = nullptr);

public slots:
    // Checks in order: path given, passwords equal, overwrite confirmed.
    void accept() override;

private:
    void takeOverThird() override;
    void refreshThird() override;

    QLineEdit* m_confirmEdit;
    QString m_confirm;
};
