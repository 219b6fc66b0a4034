#include "CertChain.h"

#include "CertStore.h"

#include <cstdio>
#include <openssl/pem.h>

namespace yx {
namespace {

constexpr size_t kMaxDepth = 10;      // longer paths are loops or nonsense
constexpr int kMaxHashCollisions = 8; // <hash>.0 ... <hash>.7 in the trust folder

using AkidPtr = std::unique_ptr<AUTHORITY_KEYID, OsslDeleter<AUTHORITY_KEYID_free>>;

bool isTrustedOrigin(CertOrigin o) {
    return o == CertOrigin::CaStore || o == CertOrigin::SystemTrust;
}

bool sameCert(X509* a, X509* b) {
    return X509_cmp(a, b) == 0;
}

bool signedBy(X509* cert, X509* issuer) {
    EVP_PKEY* key = X509_get0_pubkey(issuer);
    return key && X509_verify(cert, key) == 1;
}

bool selfSigned(X509* cert) {
    return X509_NAME_cmp(X509_get_subject_name(cert), X509_get_issuer_name(cert)) == 0 &&
           signedBy(cert, cert);
}

// A candidate whose subject key identifier (or issuer and serial) contradicts the certificate's
// authority key identifier is another CA of the same name, not the issuer.
bool akidMatches(X509* cert, X509* candidate) {
    AkidPtr akid(static_cast<AUTHORITY_KEYID*>(
        X509_get_ext_d2i(cert, NID_authority_key_identifier, nullptr, nullptr)));
    return X509_check_akid(candidate, akid.get()) == X509_V_OK;
}

bool timeValid(X509* cert, time_t now) {
    return X509_cmp_time(X509_get0_notBefore(cert), &now) <= 0 &&
           X509_cmp_time(X509_get0_notAfter(cert), &now) >= 0;
}

// Flags of one element, turned into its reported problem in ChainProblem's order.
struct Findings {
    bool badSignature = false, issuerNotCa = false, issuerNotFound = false, untrustedRoot = false;
};

ChainProblem pick(const Findings& f, X509* cert, time_t now) {
    if (f.badSignature)
        return ChainProblem::BadSignature;
    if (X509_cmp_time(X509_get0_notAfter(cert), &now) < 0)
        return ChainProblem::Expired;
    if (X509_cmp_time(X509_get0_notBefore(cert), &now) > 0)
        return ChainProblem::NotYetValid;
    if (f.issuerNotCa)
        return ChainProblem::IssuerNotCa;
    if (f.issuerNotFound)
        return ChainProblem::IssuerNotFound;
    if (f.untrustedRoot)
        return ChainProblem::UntrustedRoot;
    return ChainProblem::None;
}

X509Ptr upRef(X509* cert) {
    X509_up_ref(cert);
    return X509Ptr(cert);
}

} // namespace

ChainProblem CertChain::effectiveProblem(size_t i, bool* inherited) const {
    if (inherited)
        *inherited = false;
    if (i >= elements.size())
        return ChainProblem::IssuerNotFound;
    for (size_t j = i; j < elements.size(); ++j) {
        if (elements[j].problem != ChainProblem::None) {
            if (inherited)
                *inherited = j != i;
            return elements[j].problem;
        }
    }
    return ChainProblem::None;
}

void ChainCandidates::add(X509* cert, CertOrigin origin) {
    if (cert)
        m_certs.emplace_back(upRef(cert), origin);
}

const std::vector<X509Ptr>& ChainCandidates::systemCerts(const X509_NAME* name) const {
    static const std::vector<X509Ptr> none;
    if (m_systemDir.empty())
        return none;
    int ok = 0;
    const unsigned long hash = X509_NAME_hash_ex(name, nullptr, nullptr, &ok);
    if (!ok)
        return none;
    auto [it, fresh] = m_systemCache.try_emplace(hash);
    if (!fresh)
        return it->second;
    for (int n = 0; n < kMaxHashCollisions; ++n) {
        char file[32];
        std::snprintf(file, sizeof file, "/%08lx.%d", hash, n);
        BioPtr bio(BIO_new_file((m_systemDir + file).c_str(), "r"));
        if (!bio)
            break;
        X509Ptr cert(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
        if (cert)
            it->second.push_back(std::move(cert));
    }
    return it->second;
}

std::vector<std::pair<X509*, CertOrigin>> ChainCandidates::bySubject(const X509_NAME* name) const {
    std::vector<std::pair<X509*, CertOrigin>> out;
    for (const auto& [cert, origin] : m_certs)
        if (X509_NAME_cmp(X509_get_subject_name(cert.get()), name) == 0)
            out.emplace_back(cert.get(), origin);
    for (const auto& cert : systemCerts(name))
        if (X509_NAME_cmp(X509_get_subject_name(cert.get()), name) == 0)
            out.emplace_back(cert.get(), CertOrigin::SystemTrust);
    return out;
}

bool ChainCandidates::isTrustedAnchor(X509* cert) const {
    for (const auto& [c, origin] : bySubject(X509_get_subject_name(cert)))
        if (isTrustedOrigin(origin) && sameCert(c, cert))
            return true;
    return false;
}

ChainCandidates candidatesFromStores(const std::string& systemTrustDir) {
    ChainCandidates out;
    out.setSystemTrustDir(systemTrustDir);
    CCaCertStore ca;
    if (ca.OpenCertStore() == 0)
        for (int i = 0; i < ca.GetCertCount(); ++i)
            if (CDigitalCertificate* c = ca.getCert(i); c && c->getPCCERT())
                out.add(c->getPCCERT()->x509.get(), CertOrigin::CaStore);
    CMyCertStore my;
    if (my.OpenCertStore() == 0)
        for (int i = 0; i < my.GetCertCount(); ++i)
            if (CDigitalCertificate* c = my.getCert(i); c && c->getPCCERT())
                out.add(c->getPCCERT()->x509.get(), CertOrigin::PersonalStore);
    return out;
}

CertChain buildCertChain(X509* cert, const ChainCandidates& candidates, time_t now) {
    CertChain chain;
    if (!cert)
        return chain;
    std::vector<Findings> findings;
    chain.elements.push_back({upRef(cert), CertOrigin::Subject, ChainProblem::None});
    findings.emplace_back();

    while (chain.elements.size() <= kMaxDepth) {
        X509* cur = chain.elements.back().cert.get();
        if (selfSigned(cur)) {
            chain.complete = true;
            break;
        }
        // Best issuer: one whose key verifies the signature, then a CA, then one valid now, then
        // one from a trusted place; the first of equals (store order) wins.
        X509* best = nullptr;
        CertOrigin bestOrigin = CertOrigin::Other;
        int bestScore = -1;
        for (const auto& [cand, origin] : candidates.bySubject(X509_get_issuer_name(cur))) {
            bool seen = false;
            for (const auto& e : chain.elements)
                seen = seen || sameCert(e.cert.get(), cand);
            if (seen || !akidMatches(cur, cand))
                continue;
            const int score = (signedBy(cur, cand) ? 8 : 0) + (X509_check_ca(cand) ? 4 : 0) +
                              (timeValid(cand, now) ? 2 : 0) + (isTrustedOrigin(origin) ? 1 : 0);
            if (score > bestScore) {
                best = cand;
                bestOrigin = origin;
                bestScore = score;
            }
        }
        if (!best) {
            // A self-issued certificate whose own key does not verify it is damaged, not unrooted.
            if (X509_NAME_cmp(X509_get_subject_name(cur), X509_get_issuer_name(cur)) == 0)
                findings.back().badSignature = true;
            else
                findings.back().issuerNotFound = true;
            break;
        }
        findings.back().badSignature = !signedBy(cur, best);
        findings.back().issuerNotCa = X509_check_ca(best) == 0;
        chain.elements.push_back({upRef(best), bestOrigin, ChainProblem::None});
        findings.emplace_back();
    }
    if (!chain.complete && chain.elements.size() > kMaxDepth)
        findings.back().issuerNotFound = true;

    if (chain.complete) {
        const ChainElement& root = chain.elements.back();
        chain.trusted = isTrustedOrigin(root.origin) || candidates.isTrustedAnchor(root.cert.get());
        findings.back().untrustedRoot = !chain.trusted;
    }
    for (size_t i = 0; i < chain.elements.size(); ++i)
        chain.elements[i].problem = pick(findings[i], chain.elements[i].cert.get(), now);
    return chain;
}

std::string chainProblemText(ChainProblem problem, bool inherited) {
    switch (problem) {
    case ChainProblem::None:
        return "该证书没有问题。";
    case ChainProblem::BadSignature:
        return inherited ? "证书路径中的一个颁发机构证书的签名无效。"
                         : "该证书的数字签名无效，证书内容可能已被改动。";
    case ChainProblem::Expired:
        return inherited ? "证书路径中的一个颁发机构证书已过期。" : "该证书已过期。";
    case ChainProblem::NotYetValid:
        return inherited ? "证书路径中的一个颁发机构证书尚未生效。" : "该证书尚未生效。";
    case ChainProblem::IssuerNotCa:
        return inherited ? "证书路径中的一个证书由非证书颁发机构（CA）的证书签发。"
                         : "该证书的颁发者不是证书颁发机构（CA）证书。";
    case ChainProblem::IssuerNotFound:
        return inherited ? "找不到证书路径中上级颁发机构的证书，无法验证该证书。"
                         : "找不到该证书的颁发者证书，无法验证该证书。";
    case ChainProblem::UntrustedRoot:
        return inherited ? "该证书的根证书不受信任：它不在 CA 证书存储中。"
                         : "该根证书不受信任：它不在 CA 证书存储中。";
    }
    return {};
}

} // namespace yx
