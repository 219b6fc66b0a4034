// Where a decryption finds the private key for a record: by the record's thumbprint (spaces
// removed) in the personal store.
#pragma once

#include "OpenSslHolders.h"

#include <string>

namespace yx::kvx {

class RecipientKeySource {
public:
    virtual ~RecipientKeySource() = default;
    // True when the user holds the certificate with this thumbprint.
    virtual bool holds(const std::string& thumbprint) = 0;
    // 0 with `key` set; kNoCertificate, kPrivateKeyMissing or kPrivateKeyExport otherwise.
    virtual int privateKey(const std::string& thumbprint, EvpPkeyPtr& key) = 0;
};

// The personal store (CMyCertStore), opened afresh for every look-up.
class PersonalStoreKeys : public RecipientKeySource {
public:
    bool holds(const std::string& thumbprint) override;
    int privateKey(const std::string& thumbprint, EvpPkeyPtr& key) override;
};

} // namespace yx::kvx
