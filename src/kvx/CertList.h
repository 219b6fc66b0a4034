// CCertList: the recipients of an encryption, in order, each with a flag saying whether the
// list owns (and so deletes) the certificate.
#pragma once

#include <vector>

class CDigitalCertificate;

class CCertList {
public:
    struct Entry {
        CDigitalCertificate* cert = nullptr;
        bool owned = false;
    };

    CCertList() = default;
    ~CCertList();
    CCertList(const CCertList&) = delete;
    CCertList& operator=(const CCertList&) = delete;

    void Add(const Entry& entry);
    void Add(CDigitalCertificate* cert, bool owned = false) { Add(Entry{cert, owned}); }
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    // Null for an index out of range.
    CDigitalCertificate* GetAt(int index) const;
    // Deletes the owned certificates and empties the list.
    void Clear();

private:
    std::vector<Entry> m_entries;
};
