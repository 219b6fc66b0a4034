// Property records of e-mail accounts and address-book contacts.
#pragma once

#include "BBuffer.h"
#include "CertStore.h"

#include <ctime>
#include <string>
#include <vector>

class CDigitalCertificate;

enum GENDER { GENDER_UNSPECIFIED = 0, GENDER_FEMALE = 1, GENDER_MALE = 2 };

// The fields of a Windows SYSTEMTIME, which the date properties keep.
struct SYSTEMTIME {
    unsigned short wYear = 0, wMonth = 0, wDayOfWeek = 0, wDay = 0, wHour = 0, wMinute = 0, wSecond = 0,
                   wMilliseconds = 0;
};

// One named value as an account keeps it.
class CRegProperty {
public:
    CRegProperty();
    virtual ~CRegProperty();
    CRegProperty(const CRegProperty&) = delete;
    CRegProperty& operator=(const CRegProperty&) = delete;

    void setName(const char* name); // null: empty name
    const char* getName() const { return m_name.c_str(); }
    CBBuffer& getBuf() { return m_value; }

private:
    std::string m_name;
    CBBuffer m_value;
};

// One property of an address-book contact: a text, a date, a gender, a binary value or a list.
class COEWABProperty {
public:
    COEWABProperty();
    virtual ~COEWABProperty();
    COEWABProperty(const COEWABProperty&) = delete;
    COEWABProperty& operator=(const COEWABProperty&) = delete;

    void setTag(unsigned long tag, std::string name);
    void getTag(unsigned long& tag, std::string& name) const;
    void setValue(const char* text); // null: empty text
    const char* getStrValue() const { return m_strValue.c_str(); }
    void setGender(GENDER gender) { m_gender = gender; }
    GENDER getGender() const { return m_gender; }
    void setDate(SYSTEMTIME date) { m_date = date; }
    SYSTEMTIME getTime() const { return m_date; }
    CBBuffer& getBuf() { return m_buf; }

    void pushVector(const char* text);             // the characters without the NUL
    void pushVector(const char* data, int length); // `length` bytes
    int getVSize() const { return static_cast<int>(m_values.size()); }
    CBBuffer* getVValue(int index) const; // null outside 0..getVSize()-1
    void ClearVector();

private:
    std::string m_name;
    unsigned long m_tag = 0;
    std::string m_strValue;
    GENDER m_gender = GENDER_UNSPECIFIED;
    SYSTEMTIME m_date;
    std::vector<CBBuffer*> m_values; // owned
    CBBuffer m_buf;
};

// An e-mail account. The certificates are borrowed: the account's client looks them up in the
// account's own personal store (getCertStore), which lives as long as the account.
class CEmailAccount {
public:
    // The account's text properties that readers use.
    enum { kAccountFile = 0, kAccountName = 1, kEmailAddress = 2, kPropertyCount = 6 };

    CEmailAccount();
    virtual ~CEmailAccount();
    CEmailAccount(const CEmailAccount&) = delete;
    CEmailAccount& operator=(const CEmailAccount&) = delete;

    int getId() const { return m_id; }
    void setId(int id) { m_id = id; }
    CMyCertStore& getCertStore() { return m_store; }
    CRegProperty* getProperty(int index); // null outside 0..5

    CDigitalCertificate* getSignCert() const { return m_signCert; }   // null if none
    CDigitalCertificate* getCryptCert() const { return m_cryptCert; } // null if none
    void setSignCert(CDigitalCertificate* cert) { m_signCert = cert; }
    void setCrytpCert(CDigitalCertificate* cert) { m_cryptCert = cert; }

private:
    int m_id = 0;
    CMyCertStore m_store;
    CRegProperty m_props[kPropertyCount];
    CDigitalCertificate* m_signCert = nullptr;  // not owned
    CDigitalCertificate* m_cryptCert = nullptr; // not owned
};

// An address-book contact.
class CContact {
public:
    // The contact's properties that readers use.
    enum { kDisplayName = 0, kEmailAddress = 1, kPropertyCount = 42 };

    CContact();
    virtual ~CContact();
    CContact(const CContact&) = delete;
    CContact& operator=(const CContact&) = delete;

    int getId() const { return m_id; }
    void setId(int id) { m_id = id; }
    int getFlags() const { return m_flags; }
    void setFlags(int flags) { m_flags = flags; }
    COEWABProperty* getProperty(int index); // null outside 0..41

    // The contact's default encryption certificate, borrowed from the other-people store the
    // caller keeps open; null when none was set.
    CDigitalCertificate* getDefaultCert(COtherCertStore* store) const;
    void SetDefaultCert(CDigitalCertificate* cert) { m_defaultCert = cert; }

private:
    int m_id = 0;
    COEWABProperty m_props[kPropertyCount];
    int m_flags = 0;
    CDigitalCertificate* m_defaultCert = nullptr; // not owned
};

// The collections COEEmailAcc and COEAddrBook are in src/mail (OEEmailAcc.h, OEAddrBook.h).
