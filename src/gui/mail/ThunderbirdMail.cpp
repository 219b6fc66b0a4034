#include "ThunderbirdMail.h"

#include "CertPublisher.h"
#include "DigitalCertificate.h"
#include "DiskCertStore.h"
#include "DlgAccountCert.h"
#include "DlgSetContactCert.h"
#include "IdentityCerts.h"
#include "PropertyRecords.h"
#include "ResultCodes.h"
#include "UserPrompt.h"

#include <memory>
#include <set>

namespace yx {
namespace {

QString accountName(const nss::TbIdentity& id) {
    const std::string who = id.identity.fullName.empty() ? id.identity.id : id.identity.fullName;
    return QString::fromStdString(who + " (" + id.profile.profile + ")");
}

// The user's own certificate the profile names by `nickname`, as a certificate of `store`.
CDigitalCertificate* ownCertNamed(const nss::NssDatabase& profile, const std::string& nickname,
                                  CMyCertStore& store) {
    const nss::Bytes der = nss::profileCertByNickname(profile, nickname);
    return der.empty() ? nullptr : store.FindByThumb(DiskCertStore::entryIdOf(der));
}

std::unique_ptr<CDigitalCertificate> certOf(const nss::Bytes& der) {
    auto cert = std::make_unique<CDigitalCertificate>(reinterpret_cast<const char*>(der.data()),
                                                      static_cast<int>(der.size()), CDigitalCertificate::DER);
    return cert->getPCCERT() ? std::move(cert) : nullptr;
}

} // namespace

std::vector<MailListModel::Row> ThunderbirdMail::accountRows() {
    m_identities = nss::thunderbirdIdentities(nss::userHome());
    std::vector<MailListModel::Row> rows;
    for (const nss::TbIdentity& id : m_identities)
        rows.push_back({{accountName(id), QString::fromStdString(id.identity.email)}, 0});
    return rows;
}

std::vector<MailListModel::Row> ThunderbirdMail::contactRows() {
    m_contacts.clear();
    m_contactHasCert.clear();
    std::vector<MailListModel::Row> rows;
    for (const nss::NssDatabase& profile : nss::thunderbirdProfiles(nss::userHome())) {
        const std::set<std::string> withCert = nss::profileCertAddresses(profile); // one opening per profile
        for (nss::TbContact& c : nss::thunderbirdContacts(profile)) {
            const bool hasCert = withCert.count(QString::fromStdString(c.email).toLower().toStdString()) > 0;
            rows.push_back(
                {{QString::fromStdString(c.name), QString::fromStdString(c.email)}, hasCert ? 1 : 0});
            m_contacts.push_back(std::move(c));
            m_contactHasCert.push_back(hasCert);
        }
    }
    return rows;
}

void ThunderbirdMail::configureAccount(int row, QWidget* parent) {
    if (row < 0 || row >= static_cast<int>(m_identities.size()))
        return;
    const nss::TbIdentity& id = m_identities[static_cast<size_t>(row)];
    CEmailAccount account;
    account.getProperty(CEmailAccount::kAccountName)
        ->getBuf()
        .Attachstr(accountName(id).toStdString().c_str());
    account.getProperty(CEmailAccount::kEmailAddress)->getBuf().Attachstr(id.identity.email.c_str());
    CMyCertStore& own = account.getCertStore();
    own.OpenCertStore();
    account.setSignCert(ownCertNamed(id.profile, id.identity.signingCert, own));
    account.setCrytpCert(ownCertNamed(id.profile, id.identity.encryptionCert, own));

    CDlgAccountCert dialog(&account, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    CDigitalCertificate* sign = dialog.GetSignCert();
    CDigitalCertificate* crypt = dialog.GetCryptCert();
    if (!crypt && sign && sign->isCryptUse())
        crypt = sign;
    // What the identity has already is not written again.
    if (sign == account.getSignCert())
        sign = nullptr;
    if (crypt == account.getCryptCert())
        crypt = nullptr;
    if (!sign && !crypt)
        return;
    nss::CertPublisher publisher(nss::promptPasswordAsker(parent));
    std::string detail;
    const int rc = nss::setIdentityCerts(publisher, id.profile, id.identity.id, sign, crypt, detail);
    showMessage(nss::identityOutcomeMessage(rc, id.profile, detail),
                rc == nss::kOk ? MsgIcon::Information : MsgIcon::Warning, MsgButtons::Ok, parent);
}

bool ThunderbirdMail::configureContact(int row, QWidget* parent) {
    if (row < 0 || row >= static_cast<int>(m_contacts.size()))
        return false;
    const nss::TbContact& c = m_contacts[static_cast<size_t>(row)];
    const auto found = nss::profileCertsForEmail(c.profile, c.email);
    std::unique_ptr<CDigitalCertificate> current = found.empty() ? nullptr : certOf(found.front());
    CDlgSetContactCert dialog(current.get(), QString::fromStdString(c.email), parent);
    if (dialog.exec() != QDialog::Accepted || dialog.GetCert() == current.get())
        return false;
    nss::CertPublisher publisher(nss::promptPasswordAsker(parent));
    std::string detail;
    CDigitalCertificate* chosen = dialog.GetCert();
    const bool publish = chosen != nullptr;
    const int rc = publish ? publisher.publish(nss::CertKind::OtherPeople, *chosen, {}, c.profile, detail)
                           : publisher.withdraw(*current, c.profile, detail);
    if (rc != nss::kOk && rc != nss::kAlreadyPresent) {
        showMessage(nss::outcomeMessage(publish, rc, c.profile, detail), MsgIcon::Warning, MsgButtons::Ok,
                    parent);
        return false;
    }
    if (publish)
        withdrawReplaced(publisher, c, found, *chosen, parent);
    return true;
}

std::vector<int> ThunderbirdMail::batchRows() const {
    std::vector<int> rows;
    for (size_t i = 0; i < m_contacts.size(); ++i)
        if (!m_contactHasCert[i] && !m_contacts[i].email.empty())
            rows.push_back(static_cast<int>(i));
    return rows;
}

QString ThunderbirdMail::contactName(int row) const {
    return row >= 0 && row < static_cast<int>(m_contacts.size())
               ? QString::fromStdString(m_contacts[static_cast<size_t>(row)].name)
               : QString();
}

std::string ThunderbirdMail::contactEmail(int row) const {
    return row >= 0 && row < static_cast<int>(m_contacts.size()) ? m_contacts[static_cast<size_t>(row)].email
                                                                 : std::string();
}

int ThunderbirdMail::applyBatch(const std::vector<int>& rows, const std::vector<CDigitalCertificate*>& chosen,
                                QWidget* parent) {
    nss::CertPublisher publisher(nss::promptPasswordAsker(parent));
    int configured = 0;
    std::set<std::string> closed; // profiles whose database cannot be written now
    for (size_t i = 0; i < rows.size() && i < chosen.size(); ++i) {
        const int row = rows[i];
        if (!chosen[i] || row < 0 || row >= static_cast<int>(m_contacts.size()))
            continue;
        const nss::NssDatabase& profile = m_contacts[static_cast<size_t>(row)].profile;
        if (closed.count(profile.dir))
            continue;
        std::string detail;
        const int rc = publisher.publish(nss::CertKind::OtherPeople, *chosen[i], {}, profile, detail);
        if (rc == nss::kOk || rc == nss::kAlreadyPresent) {
            ++configured;
            continue;
        }
        showMessage(nss::outcomeMessage(true, rc, profile, detail), MsgIcon::Warning, MsgButtons::Ok, parent);
        if (rc == nss::kCancelled) // the user stops the batch
            break;
        // Such a database stays so for its profile's other contacts; other profiles go on.
        if (rc == nss::kWrongPassword || rc == nss::kCannotOpen || rc == nss::kLegacyDatabase)
            closed.insert(profile.dir);
    }
    return configured;
}

void ThunderbirdMail::withdrawReplaced(nss::CertPublisher& publisher, const nss::TbContact& contact,
                                       const std::vector<nss::Bytes>& before, CDigitalCertificate& chosen,
                                       QWidget* parent) {
    // The contact's earlier certificates that this program published give way to the new one, so
    // the mail program does not go on choosing them; what others put there stays.
    std::string chosenThumb;
    chosen.getThumbPrint(chosenThumb);
    for (const nss::Bytes& der : before) {
        std::unique_ptr<CDigitalCertificate> old = certOf(der);
        std::string thumb;
        if (!old || old->getThumbPrint(thumb) != 0 || thumb == chosenThumb ||
            publisher.placement(*old, contact.profile) != nss::Placement::Published)
            continue;
        std::string detail;
        const int rc = publisher.withdraw(*old, contact.profile, detail);
        if (rc != nss::kOk)
            showMessage(nss::outcomeMessage(false, rc, contact.profile, detail), MsgIcon::Warning,
                        MsgButtons::Ok, parent);
    }
}

} // namespace yx
