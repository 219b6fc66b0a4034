// CFoxmailAddrBook: every contact of every Foxmail address book (<Foxmail>\Address\*.IND with its
// .BOX text file). Saving appends a new text block to the .BOX file, flushes it, and only then
// repoints the contact's index record, so a save cut off at any point leaves a readable book with
// either the old or the new certificates.
#pragma once

#include "FoxmailContact.h"
#include "SafeFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CFoxmailAddrBook {
public:
    CFoxmailAddrBook() = default;
    ~CFoxmailAddrBook();
    CFoxmailAddrBook(const CFoxmailAddrBook&) = delete;
    CFoxmailAddrBook& operator=(const CFoxmailAddrBook&) = delete;

    // Reloads every contact: 0, or -1 when a .BOX file cannot be opened (message "打开地址簿错误！"
    // through the prompt; the contacts read before stay).
    int GetContacts();
    // Reads the books of one Foxmail folder given as a path of this system (GetContacts maps
    // Foxmail's folder and calls this).
    int ReadFolder(const std::string& localFolder);
    // Appends the contact's block and repoints its index record; 0 (nothing written when the
    // files cannot be opened).
    int SaveContact(CFoxmailContact* contact);

    int GetCount() const { return static_cast<int>(m_contacts.size()); }
    CFoxmailContact* GetAt(int index) const; // null outside the book
    void Clear();

    // The text block of a contact as SaveContact writes it (without the separator) and the flag
    // byte it gives the index record.
    static std::string BuildBlock(const CFoxmailContact& contact, unsigned char& flag);
    // Fills the contact's addresses, certificate lines, hash and certificate lists and rest from
    // a block (the certificate flag must be set first).
    static void ParseBlock(CFoxmailContact& contact, const std::string& block);

    // The 16 bytes before every block written.
    static const std::string& BlockSeparator();
    static constexpr int kHeaderSize = 64;
    static constexpr int kRecordSize = 176;

private:
    int ReadIndexFile(const std::string& dir, const std::string& indexName);
    static bool RecordStillMatches(const CFoxmailContact& contact, const std::string& indexPath,
                                   long long recordAt);

    std::vector<std::unique_ptr<CFoxmailContact>> m_contacts;
};
