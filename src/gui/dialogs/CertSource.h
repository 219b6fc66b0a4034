// CCertSource: certificates a caller hands to a dialog for choosing, by count and index. The
// certificates stay the source's; a dialog only borrows them.
#pragma once

#include "OwnedCerts.h"

class CCertSource {
public:
    virtual ~CCertSource() = default;
    virtual int GetCertCount() const = 0;
    // Null outside 0 .. GetCertCount() - 1.
    virtual CDigitalCertificate* getCert(int index) const = 0;
};

// A source over a vector the caller keeps alive while the dialog runs.
class CCertVectorSource : public CCertSource {
public:
    explicit CCertVectorSource(const yx::OwnedCerts& certs) : m_certs(certs) {}
    int GetCertCount() const override { return static_cast<int>(m_certs.size()); }
    CDigitalCertificate* getCert(int index) const override {
        return index >= 0 && index < GetCertCount() ? m_certs[static_cast<size_t>(index)].get() : nullptr;
    }

private:
    const yx::OwnedCerts& m_certs;
};
