#include "CertStore.h"

#include "DerBytes.h"
#include "DiskCertStore.h"
#include "PfxFile.h"
#include "SafeFile.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <utility>

namespace {

// Recorded as the key's provider when the caller names none.
constexpr const char* kDefaultProvider = "Microsoft Enhanced Cryptographic Provider v1.0";
constexpr size_t kMaxCertFile = 1u << 20;

std::string lowerAscii(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string normalizedThumb(const std::string& text) {
    std::string out;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool onlyWhitespace(const unsigned char* p, size_t n) {
    return std::all_of(p, p + n, [](unsigned char c) { return std::isspace(c) != 0; });
}

// A certificate file: the DER bytes alone, or one PEM certificate with nothing but blanks around
// it. Anything else (trailing junk, a key, several certificates) is not a certificate file.
yx::CertContextPtr certFromFile(const char* path) {
    if (!path)
        return nullptr;
    auto bytes = yx::readWholeFile(path, kMaxCertFile);
    if (!bytes || bytes->empty())
        return nullptr;
    if (auto ctx = yx::CertContext::fromDer(bytes->data(), bytes->size()))
        return ctx;

    size_t start = 0;
    if (bytes->size() >= 3 && (*bytes)[0] == 0xEF && (*bytes)[1] == 0xBB && (*bytes)[2] == 0xBF)
        start = 3; // UTF-8 mark written by some editors
    while (start < bytes->size() && std::isspace((*bytes)[start]))
        ++start;
    static const char kBegin[] = "-----BEGIN ";
    if (bytes->size() - start < sizeof kBegin - 1 ||
        std::memcmp(bytes->data() + start, kBegin, sizeof kBegin - 1) != 0)
        return nullptr;
    yx::BioPtr bio(BIO_new_mem_buf(bytes->data() + start, static_cast<int>(bytes->size() - start)));
    char* name = nullptr;
    char* header = nullptr;
    unsigned char* data = nullptr;
    long len = 0;
    yx::CertContextPtr ctx;
    if (bio && PEM_read_bio(bio.get(), &name, &header, &data, &len) == 1) {
        const bool isCert =
            std::strcmp(name, "CERTIFICATE") == 0 || std::strcmp(name, "X509 CERTIFICATE") == 0;
        if (isCert && len > 0)
            ctx = yx::CertContext::fromDer(data, static_cast<size_t>(len));
        const unsigned char* rest = nullptr;
        const long restLen = BIO_get_mem_data(bio.get(), &rest);
        if (restLen > 0 && !onlyWhitespace(rest, static_cast<size_t>(restLen)))
            ctx.reset();
    }
    OPENSSL_free(name);
    OPENSSL_free(header);
    OPENSSL_free(data);
    ERR_clear_error();
    return ctx;
}

std::vector<unsigned char> pkcs8Of(EVP_PKEY* key) {
    std::unique_ptr<PKCS8_PRIV_KEY_INFO, yx::OsslDeleter<PKCS8_PRIV_KEY_INFO_free>> p8(EVP_PKEY2PKCS8(key));
    return yx::toDer<i2d_PKCS8_PRIV_KEY_INFO, true>(p8.get());
}

bool isCaCertificate(X509* cert) {
    const bool ca = X509_check_ca(cert) > 0 || (X509_get_extension_flags(cert) & EXFLAG_SS) != 0;
    ERR_clear_error();
    return ca;
}

int importContext(yx::CertStoreBackend& backend, const yx::CertContextPtr& ctx) {
    if (!ctx)
        return yx::rc::kNotCertFile;
    return backend.add(ctx->der, {}, ctx->friendlyName, std::string()) ? yx::rc::kOk : yx::rc::kFailed;
}

// The chain certificates of a PFX import: certification authorities (a CA basic constraint, or
// self-signed) go to the CA store, anything else to other people's. Remembers which entries it
// added (not those that were there before), so that a failed import can take them out again.
class ChainImport {
public:
    bool addAll(const std::vector<yx::X509Ptr>& chain) {
        for (const auto& c : chain) {
            const bool ca = isCaCertificate(c.get());
            Store& store = ca ? m_ca : m_other;
            if (!store.backend) {
                store.backend = yx::makeDiskStoreBackend(ca ? "ca" : "other");
                std::vector<yx::StoreEntry> entries;
                store.backend->load(entries);
                for (const auto& e : entries)
                    store.ids.push_back(e.id);
            }
            const auto der = yx::toDer<i2d_X509>(c.get());
            if (der.empty())
                return false;
            const std::string id = yx::DiskCertStore::entryIdOf(der);
            const bool existed = std::find(store.ids.begin(), store.ids.end(), id) != store.ids.end();
            if (!store.backend->add(der, {}, std::nullopt, std::string()))
                return false;
            if (!existed) {
                store.ids.push_back(id);
                m_added.push_back({store.backend, id});
            }
        }
        return true;
    }

    void undo() {
        for (auto it = m_added.rbegin(); it != m_added.rend(); ++it)
            it->first->remove(it->second);
        m_added.clear();
    }

private:
    struct Store {
        std::shared_ptr<yx::CertStoreBackend> backend;
        std::vector<std::string> ids;
    };
    Store m_ca, m_other;
    std::vector<std::pair<std::shared_ptr<yx::CertStoreBackend>, std::string>> m_added;
};

} // namespace

namespace yx {

bool CertStoreBackend::loadInSteps(const BatchFn& onBatch, size_t) {
    std::vector<StoreEntry> all;
    if (!load(all))
        return false;
    onBatch(all);
    return true;
}

} // namespace yx

// ---- CCertStore ----

CCertStore::CCertStore(const std::string& storeName) : m_backend(yx::makeDiskStoreBackend(storeName)) {}

CCertStore::CCertStore(std::shared_ptr<yx::CertStoreBackend> backend) : m_backend(std::move(backend)) {}

CCertStore::~CCertStore() = default;

int CCertStore::OpenCertStore() {
    beginStepOpen();
    std::vector<yx::StoreEntry> entries;
    if (!m_backend || !m_backend->load(entries))
        return yx::rc::kFailed;
    appendEntries(entries);
    return yx::rc::kOk;
}

std::vector<std::unique_ptr<CDigitalCertificate>> CCertStore::beginStepOpen() {
    m_visible.clear();
    m_ids.clear();
    return std::exchange(m_all, {});
}

void CCertStore::appendEntries(std::vector<yx::StoreEntry>& entries) {
    m_all.reserve(m_all.size() + entries.size());
    for (auto& e : entries) {
        m_all.push_back(std::make_unique<CDigitalCertificate>(e.ctx));
        m_ids.push_back(e.id);
        m_visible.push_back(m_all.back().get());
    }
}

int CCertStore::SetFilter(const char* key, const char* value) {
    if (!key || !value)
        return yx::rc::kFailed;
    const std::string k = lowerAscii(key);
    std::function<bool(CDigitalCertificate*)> keep;
    if (k == "subjectemail") {
        const std::string wanted = lowerAscii(value);
        keep = [wanted](CDigitalCertificate* c) {
            std::string email;
            return c->getEmail(email) == 0 && lowerAscii(email) == wanted;
        };
    } else if (k == "keyusage") {
        const std::string use = lowerAscii(value);
        if (use == "crypt")
            keep = [](CDigitalCertificate* c) { return c->isCryptUse() == 1; };
        else if (use == "sign")
            keep = [](CDigitalCertificate* c) { return c->isSignUse() == 1; };
        else
            return yx::rc::kFailed;
    } else {
        return yx::rc::kFailed;
    }
    // Narrowing what is already visible is what makes the filters add up.
    std::erase_if(m_visible, [&](CDigitalCertificate* c) { return !keep(c); });
    return yx::rc::kOk;
}

int CCertStore::GetCertCount() {
    return static_cast<int>(m_visible.size());
}

CDigitalCertificate* CCertStore::getCert(int index) {
    if (index < 0 || static_cast<size_t>(index) >= m_visible.size())
        return nullptr;
    return m_visible[static_cast<size_t>(index)];
}

CDigitalCertificate* CCertStore::FindByThumb(const std::string& thumb) {
    const std::string wanted = normalizedThumb(thumb);
    if (wanted.empty())
        return nullptr;
    for (CDigitalCertificate* c : m_visible) {
        const auto& ctx = c->getPCCERT();
        if (ctx && yx::DiskCertStore::entryIdOf(ctx->der) == wanted)
            return c;
    }
    return nullptr;
}

bool CCertStore::Remove(int index) {
    CDigitalCertificate* c = getCert(index);
    if (!c || !m_backend)
        return false;
    auto it = std::find_if(m_all.begin(), m_all.end(), [c](const auto& p) { return p.get() == c; });
    const auto pos = static_cast<size_t>(it - m_all.begin());
    if (!m_backend->remove(m_ids[pos]))
        return false;
    m_visible.erase(m_visible.begin() + index);
    m_ids.erase(m_ids.begin() + static_cast<std::ptrdiff_t>(pos));
    m_all.erase(it);
    return true;
}

// ---- CMyCertStore ----

CMyCertStore::CMyCertStore() : CCertStore(std::string("my")) {}

CMyCertStore::CMyCertStore(std::shared_ptr<yx::CertStoreBackend> backend) : CCertStore(std::move(backend)) {}

int CMyCertStore::ImportP12(const char* csp, const char* path, const char* password) {
    if (!path || !m_backend)
        return yx::rc::kNotPfx;
    auto bytes = yx::readWholeFile(path, yx::kMaxPfxFileSize);
    if (!bytes)
        return yx::rc::kNotPfx;
    yx::PfxContents pfx;
    if (const int rc = yx::readPfx(*bytes, password, pfx); rc != yx::rc::kOk)
        return rc;
    if (!pfx.key || !pfx.cert || X509_check_private_key(pfx.cert.get(), pfx.key.get()) != 1) {
        ERR_clear_error();
        return yx::rc::kNoPrivateKey;
    }
    // All or nothing: the chain first, then the personal certificate with its key; when any
    // step fails, the certificates this import added are taken out again, so the stores are as
    // before and agree with the failure the user is told about.
    ChainImport chain;
    if (!chain.addAll(pfx.chain)) {
        chain.undo();
        return yx::rc::kFailed;
    }
    const auto certDer = yx::toDer<i2d_X509>(pfx.cert.get());
    auto keyDer = pkcs8Of(pfx.key.get());
    const std::string provider = (csp && *csp) ? csp : kDefaultProvider;
    const bool added =
        !certDer.empty() && !keyDer.empty() && m_backend->add(certDer, keyDer, pfx.friendlyName, provider);
    OPENSSL_cleanse(keyDer.data(), keyDer.size());
    if (!added) {
        chain.undo();
        return yx::rc::kFailed;
    }
    return yx::rc::kOk;
}

int CMyCertStore::ExportP12(int index, const char* path, const char* password) {
    CDigitalCertificate* c = getCert(index);
    if (!c || !c->getPCCERT())
        return yx::rc::kFailed;
    if (!path)
        return yx::rc::kTargetCreate;
    const auto& ctx = c->getPCCERT();
    yx::EvpPkeyPtr key = ctx->loadPrivateKey();
    if (!key)
        return yx::rc::kNoPrivateKey;
    auto pfx = yx::writePfx(key.get(), ctx->x509.get(), {}, ctx->friendlyName, password);
    if (!pfx)
        return yx::rc::kFailed;
    // The file holds the private key: readable by its owner only.
    const bool written = yx::atomicWriteFile(path, *pfx, 0600);
    OPENSSL_cleanse(pfx->data(), pfx->size());
    return written ? yx::rc::kOk : yx::rc::kTargetCreate;
}

// ---- COtherCertStore / CCaCertStore ----

COtherCertStore::COtherCertStore() : CCertStore(std::string("other")) {}

COtherCertStore::COtherCertStore(std::shared_ptr<yx::CertStoreBackend> backend)
    : CCertStore(std::move(backend)) {}

int COtherCertStore::ImportCert(const char* path) {
    return m_backend ? importContext(*m_backend, certFromFile(path)) : yx::rc::kFailed;
}

int COtherCertStore::ImportCert(CDigitalCertificate* cert) {
    if (!m_backend)
        return yx::rc::kFailed;
    return importContext(*m_backend, cert ? cert->getPCCERT() : nullptr);
}

CCaCertStore::CCaCertStore() : CCertStore(std::string("ca")) {}

CCaCertStore::CCaCertStore(std::shared_ptr<yx::CertStoreBackend> backend) : CCertStore(std::move(backend)) {}

int CCaCertStore::ImportCert(const char* path) {
    return m_backend ? importContext(*m_backend, certFromFile(path)) : yx::rc::kFailed;
}

int CCaCertStore::ImportCert(CDigitalCertificate* cert) {
    if (!m_backend)
        return yx::rc::kFailed;
    return importContext(*m_backend, cert ? cert->getPCCERT() : nullptr);
}
