// CFoxmailEmailAcc: the accounts of Foxmail as CEmailAccount records. Property 0 is the account
// file (local path of <folder>\Account.stg), 1 the account name, 2 the e-mail address (UTF-8 in the
// value buffers); the signing certificate is looked up in the account's personal store.
#pragma once

#include "PropertyRecords.h"

#include <memory>
#include <vector>

class CFoxmailEmailAcc {
public:
    CFoxmailEmailAcc() = default;
    ~CFoxmailEmailAcc();
    CFoxmailEmailAcc(const CFoxmailEmailAcc&) = delete;
    CFoxmailEmailAcc& operator=(const CFoxmailEmailAcc&) = delete;

    // Reloads every account: 0, or -1 when an account file's AccInfo.cfg stream cannot be opened
    // (the accounts before it stay in the list).
    int getEmailAcc();
    // Writes the hash text of the account's signing certificate into its account file; 0. Nothing
    // changes when the file cannot be read or lacks "SignCertHash=" or "SMTPHost=".
    int SaveEmailAcc(CEmailAccount* account);

    int GetCount() const { return static_cast<int>(m_accounts.size()); }
    CEmailAccount* GetAt(int index) const; // null outside the list
    void Clear();

    // The account file's text with the "SignCertHash=" value replaced by `hash` and the text from
    // "SMTPHost=" up to the first NUL moved behind it; false when either key is missing.
    static bool PatchSignCertHash(std::string& text, const std::string& hash);

private:
    std::vector<std::unique_ptr<CEmailAccount>> m_accounts;
};
