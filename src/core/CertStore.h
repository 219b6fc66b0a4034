// The three certificate stores (personal with private keys, other people, CA) over a pluggable
// back end; the on-disk back end keeps one folder per store.
#pragma once

#include "DigitalCertificate.h"
#include "ResultCodes.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace yx {

// What one stored entry holds.
struct StoreEntry {
    std::string id;     // stable entry name inside the store
    CertContextPtr ctx; // certificate with its properties (friendly name, key path)
};

// A store back end: the on-disk one now, others (a Windows system store) later.
class CertStoreBackend : public CertPropertySink {
public:
    // Entries in store order (stable across re-opens; new entries at the end). False when the
    // store cannot be read at all; damaged entries are skipped, never fatal.
    virtual bool load(std::vector<StoreEntry>& out) = 0;
    // The same entries in the same order, handed over in batches of about `batchSize` as they are
    // read, so a caller can show the first ones before the rest is read. `onBatch` is called at
    // least once when the store can be read (with an empty batch for an empty store); it returns
    // false to stop reading. False when the store cannot be read at all (no call then).
    using BatchFn = std::function<bool(std::vector<StoreEntry>& batch)>;
    virtual bool loadInSteps(const BatchFn& onBatch, size_t batchSize);
    // Adds a certificate (and for the personal store its private key as PKCS#8 DER, else empty).
    // An entry with the same thumbprint is replaced in place (keeps its position); a key, name or
    // provider not given keeps the stored one. Atomic.
    virtual bool add(const std::vector<unsigned char>& der, const std::vector<unsigned char>& pkcs8Key,
                     const std::optional<std::string>& friendlyName, const std::string& providerName) = 0;
    virtual bool remove(const std::string& id) = 0;
};

// The on-disk back end for the store named `name` ("my", "other", "ca") under the data root.
std::shared_ptr<CertStoreBackend> makeDiskStoreBackend(const std::string& name);

} // namespace yx

class CCertStore {
public:
    virtual ~CCertStore();
    // Re-reads the store; 0 = opened. Filters set earlier are cleared.
    virtual int OpenCertStore();

    // "SubjectEmail" with an address (letter case ignored), "KeyUsage" with "Crypt" or "Sign";
    // filters add up. 0 = applied; 1 = unknown key or value (nothing changes).
    int SetFilter(const char* key, const char* value);
    int GetCertCount();
    CDigitalCertificate* getCert(int index); // owned by the store
    // Spaces and case ignored; searches what the filters let through; null if absent.
    CDigitalCertificate* FindByThumb(const std::string& thumb);
    // Deletes the entry (and its key file) from the store; the object at `index` is destroyed.
    bool Remove(int index);

    // Opening in steps, for a list that shows a large store while it is read: a worker reads the
    // back end with loadInSteps(); the owner's thread empties the store with beginStepOpen() and
    // appends each batch with appendEntries(). Filters are cleared; the back end is shared.
    // beginStepOpen() hands the previous objects over: releasing those of a large store takes a
    // while, which the caller may spread over later moments.
    std::shared_ptr<yx::CertStoreBackend> backend() const { return m_backend; }
    std::vector<std::unique_ptr<CDigitalCertificate>> beginStepOpen();
    void appendEntries(std::vector<yx::StoreEntry>& entries);

protected:
    explicit CCertStore(const std::string& storeName);
    CCertStore(std::shared_ptr<yx::CertStoreBackend> backend);

    std::shared_ptr<yx::CertStoreBackend> m_backend;
    std::vector<std::unique_ptr<CDigitalCertificate>> m_all; // whole store, store order
    std::vector<CDigitalCertificate*> m_visible;             // after filters; points into m_all
    std::vector<std::string> m_ids;                          // entry ids parallel to m_all
};

class CMyCertStore : public CCertStore {
public:
    CMyCertStore();
    explicit CMyCertStore(std::shared_ptr<yx::CertStoreBackend> backend);
    // 6 = not a PFX file, 7 = wrong password, 14 = legacy provider unavailable for an old PFX,
    // 15 = no private key matching a certificate, 1 = the store cannot be written. `csp` is
    // recorded as the key's provider name (a default when null or empty). Chain certificates of
    // certification authorities (CA basic constraint or self-signed) go into the CA store, the
    // others into the other-people store. Call OpenCertStore to see the new entry.
    int ImportP12(const char* csp, const char* path, const char* password);
    // 0 = written (3DES, SHA-1 MAC, high iteration count, friendly name kept, mode 0600);
    // 13 = cannot create; 15 = the certificate has no private key; 1 = no such index.
    int ExportP12(int index, const char* path, const char* password);
};

class COtherCertStore : public CCertStore {
public:
    COtherCertStore();
    explicit COtherCertStore(std::shared_ptr<yx::CertStoreBackend> backend);
    // DER, or one PEM certificate with only blanks around it; 8 = not a certificate file
    // (trailing bytes included), 1 = the store cannot be written.
    int ImportCert(const char* path);
    int ImportCert(CDigitalCertificate* cert); // the caller keeps the object; 8 = holds no certificate
};

class CCaCertStore : public CCertStore {
public:
    CCaCertStore();
    explicit CCaCertStore(std::shared_ptr<yx::CertStoreBackend> backend);
    int ImportCert(const char* path);
    int ImportCert(CDigitalCertificate* cert);
};
