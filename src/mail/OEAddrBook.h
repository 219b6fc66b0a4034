// COEAddrBook: the "Outlook Express" address book. On this platform it is a folder of vCard files
// (<data root>/addressbook/*.vcf, one contact per file; files exported from any mail program can
// be dropped in). A contact's certificates are the vCard's KEY properties (Base64 DER), the
// default encryption certificate first. Saving rewrites the contact's file atomically and keeps
// every other line of it unchanged.
#pragma once

#include "PropertyRecords.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class COEAddrBook {
public:
    // Members of CContact that this book uses besides the display name and e-mail address.
    enum { kVCardFile = 40, kKeys = 41 }; // kKeys: list of the KEY values (DER), as read

    COEAddrBook() = default;
    virtual ~COEAddrBook();
    COEAddrBook(const COEAddrBook&) = delete;
    COEAddrBook& operator=(const COEAddrBook&) = delete;

    // Reloads every contact of the folder, in file-name order; 0 (an absent folder is an empty
    // book). Each contact's default certificate is the first KEY, decoded and owned by the book.
    int GetContacts();
    // Writes the contact's default certificate (getDefaultCert) as its first KEY: a new default
    // goes first and the other KEYs stay behind it; none removes the old default. 0, 1 when the
    // file cannot be written.
    int SaveContact(CContact* contact);
    // Makes `certs` the contact's KEYs in this order (the first is the default) and writes it.
    int SaveContactCerts(CContact* contact, const std::vector<CDigitalCertificate*>& certs);

    int GetCount() const { return static_cast<int>(m_contacts.size()); }
    CContact* GetAt(int index) const; // null outside the list
    void Append(CContact* contact);   // takes ownership
    void Clear();

    static std::string folder(); // <data root>/addressbook

private:
    int WriteKeys(CContact& contact, const std::vector<std::vector<unsigned char>>& keys);

    std::vector<std::unique_ptr<CContact>> m_contacts;
    std::vector<std::unique_ptr<CDigitalCertificate>> m_keyCerts; // default certificates as read
};
