// The on-disk certificate store: one folder (mode 0700) per store. Each certificate is one entry
// named after the lower-case hex SHA-1 of its DER bytes:
//   <id>.der    the certificate exactly as imported
//   <id>.props  UTF-8 "key=value" lines: friendlyName (escaped), provider
//   <id>.key    PKCS#8 PEM private key, mode 0600 (only in a store that keeps keys)
//   order       the entry ids in store order, one a line; a new entry appends its line, so an
//               import of N certificates costs O(N); any other change rewrites it atomically
//   .lock       taken around every read and every read-modify-write, so processes can share it
// Every file is replaced atomically (write, flush, rename), and an entry is written key first and
// DER last, so a crash leaves either the old store or the new one. Damaged files are skipped. An
// entry the order file misses (a crash before its line was appended, a cut line) is put back by
// the next load, after the listed ones, oldest first, and the order file is rewritten.
#pragma once

#include "CertStore.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace yx {

class DiskCertStore : public CertStoreBackend, public std::enable_shared_from_this<DiskCertStore> {
public:
    // keepsKeys: only the personal store holds private keys.
    DiskCertStore(std::string dir, bool keepsKeys);

    bool load(std::vector<StoreEntry>& out) override;
    bool loadInSteps(const BatchFn& onBatch, size_t batchSize) override;
    bool add(const std::vector<unsigned char>& der, const std::vector<unsigned char>& pkcs8Key,
             const std::optional<std::string>& friendlyName, const std::string& providerName) override;
    bool remove(const std::string& id) override;
    bool saveProperties(const CertContext& ctx) override;

    const std::string& dir() const { return m_dir; }
    // The entry id of a certificate: lower-case hex SHA-1 of its DER bytes.
    static std::string entryIdOf(const std::vector<unsigned char>& der);
    // Every add rescans the folder and rewrites the whole order file, the way adds went before
    // (quadratic in the store's size): kept for comparison in the benchmark.
    static void setRewriteOrderOnAdd(bool rewrite);

private:
    struct Props {
        std::optional<std::string> friendlyName;
        std::string provider;
    };

    bool prepareDir() const;
    std::string pathOf(const std::string& id, const char* ext) const;
    std::vector<std::string> readOrder() const;
    bool writeOrder(const std::vector<std::string>& ids) const;
    bool appendToOrder(const std::string& id) const;
    // The entry `id` as read from its files, null when its DER file is missing or damaged.
    CertContextPtr readEntry(const std::string& id) const;
    // Ids of the entries whose DER file exists: those of `listed` in its order, then the others
    // oldest first.
    std::vector<std::string> currentIds(const std::vector<std::string>& listed) const;
    Props readProps(const std::string& id) const;
    bool writeProps(const std::string& id, const Props& props) const;
    void removeStaleTemporaries() const;

    std::string m_dir;
    bool m_keepsKeys;
    std::atomic<bool> m_swept{false}; // stale temporaries removed since this object was made
};

} // namespace yx
