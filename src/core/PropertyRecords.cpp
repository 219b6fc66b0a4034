#include "PropertyRecords.h"

#include <cstring>

CRegProperty::CRegProperty() = default;
CRegProperty::~CRegProperty() = default; // the value buffer frees what it owns

void CRegProperty::setName(const char* name) {
    m_name = name ? name : "";
}

COEWABProperty::COEWABProperty() = default;

COEWABProperty::~COEWABProperty() {
    ClearVector();
}

void COEWABProperty::setTag(unsigned long tag, std::string name) {
    m_tag = tag;
    m_name = std::move(name);
}

void COEWABProperty::getTag(unsigned long& tag, std::string& name) const {
    tag = m_tag;
    name = m_name;
}

void COEWABProperty::setValue(const char* text) {
    m_strValue = text ? text : "";
}

void COEWABProperty::pushVector(const char* text) {
    pushVector(text, text ? static_cast<int>(std::strlen(text)) : 0);
}

void COEWABProperty::pushVector(const char* data, int length) {
    auto* b = new CBBuffer();
    if (data && length > 0)
        b->AttachBuffer(data, length);
    m_values.push_back(b);
}

CBBuffer* COEWABProperty::getVValue(int index) const {
    return index >= 0 && index < getVSize() ? m_values[static_cast<size_t>(index)] : nullptr;
}

void COEWABProperty::ClearVector() {
    for (CBBuffer* b : m_values)
        delete b;
    m_values.clear();
}

CEmailAccount::CEmailAccount() = default;
CEmailAccount::~CEmailAccount() = default;

CRegProperty* CEmailAccount::getProperty(int index) {
    return index >= 0 && index < kPropertyCount ? &m_props[index] : nullptr;
}

CContact::CContact() = default;
CContact::~CContact() = default;

COEWABProperty* CContact::getProperty(int index) {
    return index >= 0 && index < kPropertyCount ? &m_props[index] : nullptr;
}

// The held certificate was taken from the caller's other-people store; the store is the caller's
// guarantee that it is still alive.
CDigitalCertificate* CContact::getDefaultCert(COtherCertStore* store) const {
    (void)store;
    return m_defaultCert;
}
