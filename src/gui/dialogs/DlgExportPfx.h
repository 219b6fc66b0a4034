// CDlgExportPfx: asks where to export a personal certificate as PFX and for the password that
// protects the file (typed twice). The personal page appends ".pfx" and exports.
#pragma once

#include "DialogIds.h"

#include <QDialog>
#include <QString>

class QLineEdit;

class CDlgExportPfx : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_EXPORT_PFX;

    explicit CDlgExportPfx(QWidget* parent = nullptr);

    // The values taken over when OK was last pressed.
    const QString& path() const { return m_path; }
    const QString& password() const { return m_password; }

public slots:
    // Checks in order: path given, passwords equal, overwrite confirmed.
    void accept() override;

private:
    void onBrowse();
    void takeOver();
    void refresh();

    QLineEdit* m_pathEdit;
    QLineEdit* m_passwordEdit;
    QLineEdit* m_confirmEdit;
    QString m_path;
    QString m_password;
    QString m_confirm;
};
