// CEncCertTab: the configuration dialog's page for the default encryption certificate. It shows
// the current default and lets the user choose another among the personal certificates usable
// for encryption; the configuration dialog writes the choice at its OK (WriteSetting).
#pragma once

#include "CertStore.h"

#include <QWidget>

#include <string>

class CDigitalCertificate;
class QLineEdit;
class QPushButton;

class CEncCertTab : public QWidget {
    Q_OBJECT
public:
    explicit CEncCertTab(QWidget* parent = nullptr);

    // The chosen certificate (lives in this page's store), or null.
    QString shownName() const;
    // What "DefaultEncCert"/"CertHash" gets: the chosen certificate's thumbprint text when a
    // name is shown, else empty.
    std::string settingValue() const;
    // Writes that value; false when the settings cannot be written.
    bool WriteSetting() const;

private:
    void choose();
    void view();

    CMyCertStore m_my;
    CDigitalCertificate* m_chosen = nullptr;
    QLineEdit* m_name = nullptr;
    QPushButton* m_view = nullptr;
};
