// CDlgImportPfx: asks for a PFX file, its protection password and the cryptographic provider that
// receives the key. It checks nothing; the personal page checks the path and imports.
#pragma once

#include "PfxFileDialog.h"
#include "dialogs/DialogIds.h"

class QComboBox;

class CDlgImportPfx : public PfxFileDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_IMPORT_PFX;
    static constexpr const char* kDefaultProvider = "Microsoft Enhanced Cryptographic Provider v1.0";

    explicit CDlgImportPfx(QWidget* parent = nullptr);

    // The values taken over when OK was pressed (UTF-8 for the store); path() and password() too.
    const QString& provider() const { return m_provider; } // may be empty

public slots:
    void accept() override;

private:
    void takeOverThird() override;
    void refreshThird() override;

    QComboBox* m_providerList;
    QString m_provider;
};
