// CDlgAccountSignCert: chooses the signing certificate of a Foxmail account among the user's own
// certificates issued to the account's address, of any key usage. Null until the user chooses,
// so OK without a choice changes nothing.
#pragma once

#include "CertStore.h"
#include "MailDialogIds.h"

#include <QDialog>

class CDigitalCertificate;
class CEmailAccount;
class QLineEdit;
class QPushButton;

class CDlgAccountSignCert : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_ACCOUNT_SIGN_CERT;

    CDlgAccountSignCert(CEmailAccount* account, QWidget* parent = nullptr);

    // After OK: the certificate chosen in this run of the dialog, or null.
    CDigitalCertificate* GetSignCert() const { return m_signCert; }

private:
    void choose();

    CEmailAccount* m_account; // not owned
    CDigitalCertificate* m_signCert = nullptr;
    CMyCertStore m_store;
    QPushButton* m_ok;
    QLineEdit* m_signName;
};
