// COEEmailAcc: the "Outlook Express" account list. There is no Outlook Express on this platform;
// the accounts are kept in our registry, one subkey per account under
// <product key>\MailAccounts, with the values "AccountName", "EmailAddress", "SignCertHash" and
// "CryptCertHash" (thumbprints without spaces; empty = none). Accounts are listed in the order of
// their subkey names taken as numbers. Property 0 of an account is its subkey name, 1 its name,
// 2 its address; the certificates are looked up in the account's personal store.
#pragma once

#include "PropertyRecords.h"

#include <memory>
#include <string>
#include <vector>

class COEEmailAcc {
public:
    COEEmailAcc() = default;
    virtual ~COEEmailAcc();
    COEEmailAcc(const COEEmailAcc&) = delete;
    COEEmailAcc& operator=(const COEEmailAcc&) = delete;

    int getEmailAcc();                        // reloads the list; 0
    int SaveEmailAcc(CEmailAccount* account); // writes both thumbprints; 0, 1 when not written
    int GetCount() const { return static_cast<int>(m_accounts.size()); }
    CEmailAccount* GetAt(int index) const; // null outside the list
    void Append(CEmailAccount* account);   // takes ownership
    void Clear();

    // Adds an account to the registry (a new subkey behind the others); true when written.
    static bool AddAccount(const std::string& name, const std::string& address);
    static std::string accountsKey(); // <product key>\MailAccounts

private:
    std::vector<std::unique_ptr<CEmailAccount>> m_accounts;
};
