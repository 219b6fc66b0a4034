// CDlgImportPfx: asks for a PFX file, its protection password and the cryptographic provider that
// receives the key. It checks nothing; the personal page checks the path and imports.
#pragma once

#include "DialogIds.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;

class CDlgImportPfx : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_IMPORT_PFX;
    static constexpr const char* kDefaultProvider = "Microsoft Enhanced Cryptographic Provider v1.0";

    explicit CDlgImportPfx(QWidget* parent = nullptr);

    // The values taken over when OK was pressed (UTF-8 for the store).
    const QString& path() const { return m_path; }
    const QString& password() const { return m_password; }
    const QString& provider() const { return m_provider; } // may be empty

public slots:
    void accept() override;

private:
    void onBrowse();
    void takeOver(); // controls -> accepted values
    void refresh();  // accepted values -> controls

    QLineEdit* m_pathEdit;
    QLineEdit* m_passwordEdit;
    QComboBox* m_providerList;
    QString m_path;
    QString m_password;
    QString m_provider;
};
