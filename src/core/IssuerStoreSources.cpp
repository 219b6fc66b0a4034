#include "CertStore.h"
#include "IssuerLookup.h"

namespace yx {
namespace {

// Copies of every certificate in the store, so the answers outlive the store object.
template <class Store> std::vector<X509Ptr> readStore() {
    std::vector<X509Ptr> out;
    Store store;
    if (store.OpenCertStore() != 0)
        return out;
    for (int i = 0; i < store.GetCertCount(); ++i) {
        CDigitalCertificate* cert = store.getCert(i);
        if (!cert || !cert->getPCCERT() || !cert->getPCCERT()->x509)
            continue;
        X509* x = cert->getPCCERT()->x509.get();
        X509_up_ref(x);
        out.emplace_back(x);
    }
    return out;
}

} // namespace

std::vector<IssuerSource> storeIssuerSources() {
    return {readStore<CCaCertStore>, readStore<CMyCertStore>};
}

} // namespace yx
