#include "BatchLookup.h"

#include "CertStore.h"
#include "DirectorySettings.h"
#include "FoxmailAddrBook.h"
#include "LdapCert.h"
#include "OEAddrBook.h"

CBatchLookup::CBatchLookup(std::vector<std::string> addresses) : m_addresses(std::move(addresses)) {}

CBatchLookup::~CBatchLookup() = default;

CBatchLookup::Result CBatchLookup::Run(const std::atomic<bool>& cancel, const Progress& progress,
                                       const std::string& host) {
    m_found.clear();
    m_lastError.clear();
    const std::string server = host.empty() ? yx::directory::hostB() : host;
    CLdapCert ldap;
    const int total = ContactCount();
    for (int i = 0; i < total; ++i) {
        if (cancel.load())
            return kCancelled;
        yx::OwnedCerts found;
        if (ldap.getUserCertificates(server.c_str(), "", m_addresses[static_cast<size_t>(i)].c_str(),
                                     found) != 0) {
            m_lastError = ldap.lastError();
            return kDirectoryFailed;
        }
        m_found.push_back(std::move(found));
        if (progress)
            progress(i + 1, total);
    }
    return kDone;
}

const yx::OwnedCerts& CBatchLookup::Found(int contact) const {
    static const yx::OwnedCerts none;
    return contact >= 0 && contact < SearchedCount() ? m_found[static_cast<size_t>(contact)] : none;
}

CDigitalCertificate* CBatchLookup::OnlyFound(int contact) const {
    const auto& found = Found(contact);
    return found.size() == 1 ? found.front().get() : nullptr;
}

namespace yx::mail {

std::vector<CFoxmailContact*> batchList(CFoxmailAddrBook& book) {
    std::vector<CFoxmailContact*> list;
    for (int i = 0; i < book.GetCount(); ++i)
        if (!book.GetAt(i)->hasCertFlag())
            list.push_back(book.GetAt(i));
    return list;
}

std::vector<CContact*> batchList(COEAddrBook& book, COtherCertStore& others) {
    std::vector<CContact*> list;
    for (int i = 0; i < book.GetCount(); ++i) {
        CDigitalCertificate* cert = book.GetAt(i)->getDefaultCert(&others);
        if (!cert || cert->isLocalTimeValid() != 1)
            list.push_back(book.GetAt(i));
    }
    return list;
}

std::vector<std::string> addressesOf(const std::vector<CFoxmailContact*>& contacts) {
    std::vector<std::string> out;
    for (CFoxmailContact* c : contacts)
        out.push_back(c->email());
    return out;
}

std::vector<std::string> addressesOf(const std::vector<CContact*>& contacts) {
    std::vector<std::string> out;
    for (CContact* c : contacts)
        out.emplace_back(c->getProperty(CContact::kEmailAddress)->getStrValue());
    return out;
}

int applyBatch(CFoxmailAddrBook& book, const std::vector<CFoxmailContact*>& contacts,
               const std::vector<CDigitalCertificate*>& chosen) {
    int count = 0;
    for (size_t i = 0; i < contacts.size() && i < chosen.size(); ++i) {
        if (!chosen[i])
            continue;
        contacts[i]->SetCerts({chosen[i]});
        book.SaveContact(contacts[i]);
        ++count;
    }
    return count;
}

int applyBatch(COEAddrBook& book, COtherCertStore& others, const std::vector<CContact*>& contacts,
               const std::vector<CDigitalCertificate*>& chosen, bool& importFailed) {
    importFailed = false;
    int count = 0;
    for (size_t i = 0; i < contacts.size() && i < chosen.size(); ++i) {
        if (!chosen[i])
            continue;
        if (others.ImportCert(chosen[i]) != 0) {
            importFailed = true;
            return count;
        }
        contacts[i]->SetDefaultCert(chosen[i]);
        book.SaveContact(contacts[i]);
        ++count;
    }
    return count;
}

} // namespace yx::mail
