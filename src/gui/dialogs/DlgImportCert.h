// CDlgImportCert: asks for a certificate file to import into the other-people or CA store and
// checks that it is there.
#pragma once

#include "DialogIds.h"

#include <QDialog>
#include <QString>

class QLineEdit;

class CDlgImportCert : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_IMPORT_CERT;

    explicit CDlgImportCert(QWidget* parent = nullptr);

    const QString& path() const { return m_path; }

public slots:
    // Checks in order: path given, file present.
    void accept() override;

private:
    void onBrowse();

    QLineEdit* m_pathEdit;
    QString m_path;
};
