// CDlgAccountCert: chooses the signing and the encryption certificate of an Outlook Express
// account among the user's own certificates issued to the account's address. It only chooses;
// the page writes the choice into the account. The chosen certificates live in the dialog's
// stores (or are the account's own), so the caller uses them before the dialog goes.
#pragma once

#include "CertStore.h"
#include "MailDialogIds.h"

#include <QDialog>

class CDigitalCertificate;
class CEmailAccount;
class QLineEdit;

class CDlgAccountCert : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_ACCOUNT_CERT;

    CDlgAccountCert(CEmailAccount* account, QWidget* parent = nullptr);

    // After OK: the chosen certificates, each null when none.
    CDigitalCertificate* GetSignCert() const { return m_signCert; }
    CDigitalCertificate* GetCryptCert() const { return m_cryptCert; }

private:
    // Runs the chooser over `store` with its key-usage filter set to `usage`; true with a choice.
    bool choose(CMyCertStore& store, const char* usage, CDigitalCertificate*& chosen, QLineEdit* name);

    CEmailAccount* m_account; // not owned
    CDigitalCertificate* m_signCert = nullptr;
    CDigitalCertificate* m_cryptCert = nullptr;
    CMyCertStore m_signStore;
    CMyCertStore m_cryptStore;
    QLineEdit* m_cryptName;
    QLineEdit* m_signName;
};
