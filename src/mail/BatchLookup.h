// The directory side of the batch configuration: for every contact without a usable certificate,
// the certificates the directory holds for its address. Runs on whichever thread calls Run (the
// dialog's worker, or the command-line tool directly); the cancel flag is read afresh before each
// contact, the progress callback is called on the running thread after each contact.
#pragma once

#include "OwnedCerts.h"
#include "ResultCodes.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CContact;
class CFoxmailAddrBook;
class CFoxmailContact;
class COEAddrBook;
class COtherCertStore;

class CBatchLookup {
public:
    enum Result {
        kDone = yx::rc::kOk,
        kCancelled = yx::rc::kBatchCancelled,
        kDirectoryFailed = yx::rc::kBatchDirectoryFailed
    };
    using Progress = std::function<void(int done, int total)>;

    // `addresses`: the e-mail address (UTF-8) of every contact, in contact order.
    explicit CBatchLookup(std::vector<std::string> addresses);
    ~CBatchLookup();
    CBatchLookup(const CBatchLookup&) = delete;
    CBatchLookup& operator=(const CBatchLookup&) = delete;

    // Queries `host` (empty: directory host B of the settings) for each address in order. Stops
    // after the contact in progress when `cancel` becomes true, and at the first failed query
    // (the found lists then hold the contacts before it). lastError() says why a query failed.
    Result Run(const std::atomic<bool>& cancel, const Progress& progress = {}, const std::string& host = {});

    int ContactCount() const { return static_cast<int>(m_addresses.size()); }
    // Found certificates of contact i (empty for a contact not reached); owned by this object.
    const yx::OwnedCerts& Found(int contact) const;
    int SearchedCount() const { return static_cast<int>(m_found.size()); }
    const std::string& lastError() const { return m_lastError; }

    // The certificate a contact gets without a person choosing: its only found certificate, or
    // null when none or several were found.
    CDigitalCertificate* OnlyFound(int contact) const;

private:
    std::vector<std::string> m_addresses;
    std::vector<yx::OwnedCerts> m_found;
    std::string m_lastError;
};

namespace yx::mail {

// The batch lists: contacts of the loaded book without a usable certificate, in book order (not
// owned). Foxmail: an empty certificate flag. Outlook Express: no default certificate, or one not
// valid at the present time.
std::vector<CFoxmailContact*> batchList(CFoxmailAddrBook& book);
std::vector<CContact*> batchList(COEAddrBook& book, COtherCertStore& others);
std::vector<std::string> addressesOf(const std::vector<CFoxmailContact*>& contacts);
std::vector<std::string> addressesOf(const std::vector<CContact*>& contacts);

// Applies the chosen certificates (chosen[i] for contacts[i], null = skip) and returns how many
// contacts were configured. Foxmail: SetCerts with that one certificate, then SaveContact.
// Outlook Express: import into the other-people store, SetDefaultCert, SaveContact; an import that
// fails stops at once and sets `importFailed`.
int applyBatch(CFoxmailAddrBook& book, const std::vector<CFoxmailContact*>& contacts,
               const std::vector<CDigitalCertificate*>& chosen);
int applyBatch(COEAddrBook& book, COtherCertStore& others, const std::vector<CContact*>& contacts,
               const std::vector<CDigitalCertificate*>& chosen, bool& importFailed);

} // namespace yx::mail
