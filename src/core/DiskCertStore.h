// The on-disk certificate store: one folder (mode 0700) per store. Each certificate is one entry
// named after the lower-case hex SHA-1 of its DER bytes:
//   <id>.der    the certificate exactly as imported
//   <id>.props  UTF-8 "key=value" lines: friendlyName (escaped), provider
//   <id>.key    PKCS#8 PEM private key, mode 0600 (only in a store that keeps keys)
//   order       the entry ids in store order, one a line
//   .lock       taken around every read and every read-modify-write, so processes can share it
// Every file is replaced atomically (write, flush, rename), and an entry is written key first and
// DER last, so a crash leaves either the old store or the new one. Damaged files are skipped.
#pragma once

#include "CertStore.h"

#include <memory>
#include <string>
#include <vector>

namespace yx {

class DiskCertStore : public CertStoreBackend, public std::enable_shared_from_this<DiskCertStore> {
public:
    // keepsKeys: only the personal store holds private keys.
    DiskCertStore(std::string dir, bool keepsKeys);

    bool load(std::vector<StoreEntry>& out) override;
    bool add(const std::vector<unsigned char>& der, const std::vector<unsigned char>& pkcs8Key,
             const std::optional<std::string>& friendlyName, const std::string& providerName) override;
    bool remove(const std::string& id) override;
    bool saveProperties(const CertContext& ctx) override;

    const std::string& dir() const { return m_dir; }
    // The entry id of a certificate: lower-case hex SHA-1 of its DER bytes.
    static std::string entryIdOf(const std::vector<unsigned char>& der);

private:
    struct Props {
        std::optional<std::string> friendlyName;
        std::string provider;
    };

    bool prepareDir() const;
    std::string pathOf(const std::string& id, const char* ext) const;
    std::vector<std::string> readOrder() const;
    bool writeOrder(const std::vector<std::string>& ids) const;
    // Ids of the entries whose DER file exists: those of `listed` in its order, then the others
    // oldest first.
    std::vector<std::string> currentIds(const std::vector<std::string>& listed) const;
    Props readProps(const std::string& id) const;
    bool writeProps(const std::string& id, const Props& props) const;
    void removeStaleTemporaries() const;

    std::string m_dir;
    bool m_keepsKeys;
};

} // namespace yx
