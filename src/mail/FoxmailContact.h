// CFoxmailContact: one contact of a Foxmail address book, as read from its index record and text
// block. Texts are Foxmail's own bytes (GBK), so a block written back is byte for byte what was
// read; name() and email() give them as UTF-8 for display.
#pragma once

#include "OwnedCerts.h"
#include "PropertyRecords.h"

#include <string>
#include <vector>

class CDigitalCertificate;

class CFoxmailContact {
public:
    // The contact's fields, each a COEWABProperty: text fields in the property's value buffer,
    // lists in its list of values. The two members behind kRest are carried unread.
    enum Field {
        kTextPath = 0,   // full path of the .BOX file
        kIndexPath,      // full path of the .IND file
        kName,           // display name from the index record (GBK)
        kPrimaryAddress, // e-mail address from the index record (GBK)
        kCertFlag,       // one byte 0x01 when the block has a Certificates section, else empty
        kIndexPosition,  // decimal: the index file's position just behind the record
        kPrimaryIndex,   // decimal: position of the primary address in the address list
        kAddresses,      // list: every address of the Emails section
        kCertLines,      // list: every line of the Certificates section as read
        kRest,           // the block's text behind the certificates, kept unchanged
        kFieldCount = 12
    };

    CFoxmailContact();
    ~CFoxmailContact();
    CFoxmailContact(const CFoxmailContact&) = delete;
    CFoxmailContact& operator=(const CFoxmailContact&) = delete;

    COEWABProperty* getProperty(int field); // null outside 0..kFieldCount-1
    std::string getText(Field field) const; // a text field's bytes
    void setText(Field field, const std::string& bytes);
    std::vector<std::string> getList(Field field) const; // a list field's values
    void setList(Field field, const std::vector<std::string>& values);

    std::string name() const;  // UTF-8
    std::string email() const; // UTF-8 (primary address)
    bool hasCertFlag() const;  // the certificate flag is not empty
    int primaryIndex() const;

    // Hash texts and certificate texts of certificate line `line` (parallel lists; a hash whose
    // entry was not found has an empty text). The mutable forms grow the lists to reach `line`.
    std::vector<std::string>& hashList(int line);
    std::vector<std::string>& certList(int line);
    const std::vector<std::string>* findHashList(int line) const; // null beyond the lines
    const std::vector<std::string>* findCertList(int line) const;
    int lineCount() const { return static_cast<int>(m_hashes.size()); }

    // Appends a new certificate (the caller deletes it) for every certificate of the primary
    // address, default first. Texts that do not decode are passed over.
    void GetCerts(yx::OwnedCerts& out) const;
    // Makes `certs`, in order, the certificates of the primary address; the objects stay the caller's.
    void SetCerts(const std::vector<CDigitalCertificate*>& certs);

    // Filled by the reader: one hash list and one certificate list per line (or per address).
    void resizeLists(int count);

    // A certificate text as stored: BEGIN line, the Base64 text folded every 76 characters
    // (CR LF and a space), END line; and the Base64 text taken back out of one.
    static std::string certificateText(const std::string& base64);
    static std::string base64Of(const std::string& certText);

private:
    COEWABProperty m_props[kFieldCount];
    std::vector<std::vector<std::string>> m_hashes;
    std::vector<std::vector<std::string>> m_certs;
};
