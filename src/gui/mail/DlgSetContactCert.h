// CDlgSetContactCert: chooses the one default encryption certificate of an Outlook Express
// contact, from the other-people store (encryption certificates of the contact's address) or from
// the directory (imported into the other-people store), or removes it. The page sets the result
// as the contact's default and saves the contact.
#pragma once

#include "CertStore.h"
#include "MailDialogIds.h"
#include "MailDialogKit.h"

#include <QDialog>
#include <QString>

#include <vector>

class CDigitalCertificate;
class QLineEdit;
class QPushButton;

class CDlgSetContactCert : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_SET_CONTACT_CERT;

    CDlgSetContactCert(CDigitalCertificate* current, const QString& email, QWidget* parent = nullptr);
    ~CDlgSetContactCert() override;

    // After OK: the chosen certificate, null when the user removed it. It may belong to the
    // dialog, so the caller uses it before the dialog goes.
    CDigitalCertificate* GetCert() const { return m_chosen; }

private:
    void setChosen(CDigitalCertificate* cert);
    void importFromStore();
    void importFromDirectory();
    void remove();

    CDigitalCertificate* m_current; // not owned
    CDigitalCertificate* m_chosen = nullptr;
    QString m_email;
    COtherCertStore m_store;
    std::vector<yx::OwnedCerts> m_found; // every directory look-up
    QLineEdit* m_name;
    QPushButton* m_view;
    QPushButton* m_remove;
};
