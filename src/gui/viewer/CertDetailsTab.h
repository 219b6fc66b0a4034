// The viewer's "详细信息" tab: every field, extension and property in a two-column list, the
// selected value in full below it, and saving the certificate as a DER file.
#pragma once

#include "CertFields.h"

#include <QWidget>

class QComboBox;
class QPlainTextEdit;
class QTreeWidget;

namespace yx::viewer {

class CertDetailsTab : public QWidget {
    Q_OBJECT
public:
    explicit CertDetailsTab(CDigitalCertificate& cert, QWidget* parent = nullptr);

    // Asks for a file name and writes the certificate's DER bytes there.
    void copyToFile();

private:
    void fill();
    void showSelected();

    CDigitalCertificate& m_cert;
    QList<CertField> m_fields;
    QComboBox* m_show = nullptr;
    QTreeWidget* m_list = nullptr;
    QPlainTextEdit* m_value = nullptr;
};

} // namespace yx::viewer
