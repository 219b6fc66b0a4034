#include "IssuerLookup.h"

#include "DerBytes.h"

#include <openssl/err.h>

namespace yx {
namespace {

std::string memoKey(X509* cert) {
    const auto der = toDer<i2d_X509_NAME>(X509_get_issuer_name(cert));
    std::string key(der.begin(), der.end());
    key += '\0';
    if (const ASN1_OCTET_STRING* akid = X509_get0_authority_key_id(cert))
        key.append(reinterpret_cast<const char*>(ASN1_STRING_get0_data(akid)),
                   static_cast<size_t>(ASN1_STRING_length(akid)));
    return key;
}

} // namespace

bool isIssuerOf(X509* candidate, X509* cert) {
    // Name, authority key identifier (key id and issuer/serial forms) and key usage, as chain
    // building checks them.
    return candidate && cert && X509_check_issued(candidate, cert) == X509_V_OK;
}

IssuerFinder::IssuerFinder(std::vector<IssuerSource> sources, bool useSystemTrust)
    : m_sources(std::move(sources)), m_useSystemTrust(useSystemTrust) {}

IssuerFinder::~IssuerFinder() = default;

X509* IssuerFinder::find(X509* cert) {
    if (!cert)
        return nullptr;
    const std::string key = memoKey(cert);
    if (auto it = m_memo.find(key); it != m_memo.end())
        return it->second;
    X509* found = searchSources(cert);
    if (!found && m_useSystemTrust)
        found = searchSystemTrust(cert);
    m_memo.emplace(key, found);
    return found;
}

X509* IssuerFinder::searchSources(X509* cert) {
    for (size_t i = 0; i < m_sources.size(); ++i) {
        if (i == m_loaded.size())
            m_loaded.push_back(m_sources[i] ? m_sources[i]() : std::vector<X509Ptr>{});
        for (const auto& c : m_loaded[i])
            if (isIssuerOf(c.get(), cert))
                return c.get();
    }
    return nullptr;
}

X509* IssuerFinder::searchSystemTrust(X509* cert) {
    if (!m_systemTried) {
        m_systemTried = true;
        m_system.reset(X509_STORE_new());
        // SSL_CERT_DIR and SSL_CERT_FILE override the folder and bundle, as for every OpenSSL program.
        if (m_system && X509_STORE_set_default_paths(m_system.get()) != 1)
            m_system.reset();
        ERR_clear_error(); // a missing bundle file is normal on some systems
    }
    if (!m_system)
        return nullptr;
    X509StoreCtxPtr ctx(X509_STORE_CTX_new());
    if (!ctx || X509_STORE_CTX_init(ctx.get(), m_system.get(), nullptr, nullptr) != 1)
        return nullptr;
    // Looks in the loaded bundle and in the hashed folder for certificates with that subject.
    X509StackPtr matches(X509_STORE_CTX_get1_certs(ctx.get(), X509_get_issuer_name(cert)));
    ERR_clear_error();
    if (!matches)
        return nullptr;
    for (int i = 0; i < sk_X509_num(matches.get()); ++i) {
        X509* c = sk_X509_value(matches.get(), i);
        if (isIssuerOf(c, cert)) {
            X509_up_ref(c);
            m_systemFound.emplace_back(c);
            return c;
        }
    }
    return nullptr;
}

} // namespace yx
