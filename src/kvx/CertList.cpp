#include "CertList.h"

#include "DigitalCertificate.h"

CCertList::~CCertList() {
    Clear();
}

void CCertList::Add(const Entry& entry) {
    m_entries.push_back(entry);
}

CDigitalCertificate* CCertList::GetAt(int index) const {
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_entries[static_cast<size_t>(index)].cert;
}

void CCertList::Clear() {
    for (auto& e : m_entries)
        if (e.owned)
            delete e.cert;
    m_entries.clear();
}
