// CDlgExportCert: asks where to export a certificate as a DER file. The page appends ".cer".
#pragma once

#include "DialogIds.h"

#include <QDialog>
#include <QString>

class QLineEdit;

class CDlgExportCert : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_EXPORT_CERT;

    explicit CDlgExportCert(QWidget* parent = nullptr);

    const QString& path() const { return m_path; }

public slots:
    // Checks in order: path given, overwrite confirmed.
    void accept() override;

private:
    void onBrowse();

    QLineEdit* m_pathEdit;
    QString m_path;
};
