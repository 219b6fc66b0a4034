#include "RecipientKeys.h"

#include "CertStore.h"
#include "EngineResult.h"

namespace yx::kvx {

bool PersonalStoreKeys::holds(const std::string& thumbprint) {
    CMyCertStore store;
    return store.OpenCertStore() == 0 && store.FindByThumb(thumbprint) != nullptr;
}

int PersonalStoreKeys::privateKey(const std::string& thumbprint, EvpPkeyPtr& key) {
    CMyCertStore store;
    CDigitalCertificate* cert = store.OpenCertStore() == 0 ? store.FindByThumb(thumbprint) : nullptr;
    if (!cert || !cert->getPCCERT())
        return kNoCertificate;
    if (!cert->getPCCERT()->hasPrivateKey())
        return kPrivateKeyMissing;
    key = cert->getPCCERT()->loadPrivateKey();
    if (!key || EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_RSA) {
        key.reset();
        return kPrivateKeyExport;
    }
    return 0;
}

} // namespace yx::kvx
