// CDlgSetContactCerts: edits the ordered certificate list of a Foxmail contact's primary address,
// whose first certificate is the default: add from the other-people store (encryption certificates
// of that address) or from the directory, remove, make default, view. It only edits its own list;
// the page hands the list to the contact and saves it.
#pragma once

#include "CertStore.h"
#include "MailDialogIds.h"
#include "MailDialogKit.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class CDigitalCertificate;
class CFoxmailContact;
class QPushButton;

namespace yx {
class CertResultList;
}

class CDlgSetContactCerts : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDD = yx::res::IDD_SET_CONTACT_CERTS;

    explicit CDlgSetContactCerts(CFoxmailContact* contact, QWidget* parent = nullptr);
    ~CDlgSetContactCerts() override;

    // After OK: the certificate list in order, the default first. The certificates belong to the
    // dialog, so the caller uses them before the dialog goes.
    void GetCerts(std::vector<CDigitalCertificate*>& out) const;
    int selectedRow() const { return m_selected; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onPress(int row);
    void setButtons(bool enabled);
    void removeSelected();
    void makeDefault();
    void importFromStore();
    void importFromDirectory();
    void viewSelected();
    // Appends `cert` with its row unless the list has its thumbprint; false (and `duplicate`
    // shown) when it has.
    bool append(CDigitalCertificate* cert, const char* duplicate);

    CFoxmailContact* m_contact; // not owned
    std::string m_email;
    std::vector<CDigitalCertificate*> m_certs; // the list; entries owned by the holders below
    yx::OwnedCerts m_contactCerts;             // from the contact
    std::vector<yx::OwnedCerts> m_found;       // every directory look-up
    COtherCertStore m_store;
    int m_selected = -1;
    Qt::MouseButton m_pressButton = Qt::NoButton;
    yx::CertResultList* m_list;
    QPushButton* m_view;
    QPushButton* m_remove;
    QPushButton* m_makeDefault;
};
