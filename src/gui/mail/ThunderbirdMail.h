// The secure e-mail page's Thunderbird entries: the mail identities of every Thunderbird profile
// and the contacts of its address books. An identity's certificates are the user's own ones with
// its address (chosen as for the other clients' accounts) and are written to prefs.js once
// published to the profile's NSS database; a contact's certificate is the one that database
// holds for its address, and choosing one publishes it there.
#pragma once

#include "MailListModel.h"
#include "ThunderbirdAddressBook.h"
#include "ThunderbirdProfiles.h"

#include <vector>

class CDigitalCertificate;
class QWidget;

namespace yx {
namespace nss {
class CertPublisher;
}

class ThunderbirdMail {
public:
    // Re-read from the profiles; one row per identity or contact.
    std::vector<MailListModel::Row> accountRows();
    std::vector<MailListModel::Row> contactRows();

    // The dialogs for the row of the last read, then the change. Nothing for a row beyond it.
    void configureAccount(int row, QWidget* parent);
    // True when the profile's database changed (the list is read again).
    bool configureContact(int row, QWidget* parent);

    // Contacts of the last read whose address has no certificate in their profile's database.
    std::vector<int> batchRows() const;
    QString contactName(int row) const;
    std::string contactEmail(int row) const;
    // Publishes chosen[i] (null: skip) for contact rows[i]; the number of contacts configured.
    int applyBatch(const std::vector<int>& rows, const std::vector<CDigitalCertificate*>& chosen,
                   QWidget* parent);

private:
    void withdrawReplaced(nss::CertPublisher& publisher, const nss::TbContact& contact,
                          const std::vector<nss::Bytes>& before, CDigitalCertificate& chosen,
                          QWidget* parent);

    std::vector<nss::TbIdentity> m_identities;
    std::vector<nss::TbContact> m_contacts;
    std::vector<bool> m_contactHasCert; // per contact of the last read
};

} // namespace yx
