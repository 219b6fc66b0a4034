#include "CertChain.h"

#include "CertStore.h"
#include "DigitalCertificate.h"
#include "TestPki.h"

#include <gtest/gtest.h>

using namespace yxtest;
using yx::CertOrigin;
using yx::ChainProblem;

namespace {

void addExt(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    yx::X509ExtPtr ext(X509V3_EXT_conf_nid(nullptr, &ctx, nid, value));
    ASSERT_NE(ext, nullptr);
    ASSERT_EQ(X509_add_ext(cert, ext.get(), -1), 1);
}

// Makes `cert` (as TestCa::issue made it) issued by `issuer` instead: issuer name, authority key
// identifier and signature follow the new issuer.
void reissue(Issued& cert, X509* issuer, EVP_PKEY* issuerKey) {
    X509* c = cert.cert.get();
    X509_set_issuer_name(c, X509_get_subject_name(issuer));
    const int at = X509_get_ext_by_NID(c, NID_authority_key_identifier, -1);
    if (at >= 0)
        X509_EXTENSION_free(X509_delete_ext(c, at));
    addExt(c, issuer, NID_authority_key_identifier, "keyid:always");
    ASSERT_GT(X509_sign(c, issuerKey, EVP_sha256()), 0);
}

// A CA issued by `root`, with a subject key identifier so its own certificates can point at it.
Issued intermediate(TestCa& root, const std::string& cn, long notAfterOffset = 5L * 365 * 86400) {
    Issued ca = root.issue({.cn = cn,
                            .keyUsage = KU_KEY_CERT_SIGN | KU_CRL_SIGN,
                            .notAfterOffset = notAfterOffset,
                            .isCa = true,
                            .keyIndex = 2});
    addExt(ca.cert.get(), ca.cert.get(), NID_subject_key_identifier, "hash");
    EXPECT_GT(X509_sign(ca.cert.get(), root.key(), EVP_sha256()), 0);
    return ca;
}

Issued userCert(TestCa& ca, const std::string& cn = "张三") {
    return ca.issue(
        {.cn = cn, .email = "zhangsan@example.cn", .keyUsage = KU_DIGITAL_SIGNATURE | KU_KEY_ENCIPHERMENT});
}

void importIntoCaStore(X509* cert) {
    auto ctx = yx::CertContext::fromX509(cert);
    ASSERT_NE(ctx, nullptr);
    CDigitalCertificate dc(ctx);
    CCaCertStore store;
    ASSERT_EQ(store.OpenCertStore(), 0);
    ASSERT_EQ(store.ImportCert(&dc), 0);
}

} // namespace

TEST(CertChain, RootInOurCaStoreMakesATrustedPathAndWithoutItThePathStops) {
    ScopedDataRoot root;
    TestCa ca;
    Issued user = userCert(ca);
    const yx::CertChain alone = yx::buildCertChain(user.cert.get(), yx::candidatesFromStores(""));
    ASSERT_EQ(alone.elements.size(), 1u);
    EXPECT_FALSE(alone.complete);
    EXPECT_FALSE(alone.trusted);
    EXPECT_EQ(alone.overall(), ChainProblem::IssuerNotFound);

    importIntoCaStore(ca.cert());
    const yx::CertChain chain = yx::buildCertChain(user.cert.get(), yx::candidatesFromStores(""));
    ASSERT_EQ(chain.elements.size(), 2u);
    EXPECT_EQ(X509_cmp(chain.elements[0].cert.get(), user.cert.get()), 0);
    EXPECT_EQ(X509_cmp(chain.elements[1].cert.get(), ca.cert()), 0);
    EXPECT_EQ(chain.elements[0].origin, CertOrigin::Subject);
    EXPECT_EQ(chain.elements[1].origin, CertOrigin::CaStore);
    EXPECT_TRUE(chain.complete);
    EXPECT_TRUE(chain.trusted);
    EXPECT_EQ(chain.overall(), ChainProblem::None);
}

TEST(CertChain, SelfSignedRootIsTrustedOnlyWhenInTheCaStore) {
    TestCa ca;
    yx::ChainCandidates none;
    yx::CertChain alone = yx::buildCertChain(ca.cert(), none);
    ASSERT_EQ(alone.elements.size(), 1u);
    EXPECT_TRUE(alone.complete);
    EXPECT_FALSE(alone.trusted);
    EXPECT_EQ(alone.overall(), ChainProblem::UntrustedRoot);

    yx::ChainCandidates personal; // a root in the personal store is not a trust anchor
    personal.add(ca.cert(), CertOrigin::PersonalStore);
    EXPECT_EQ(yx::buildCertChain(ca.cert(), personal).overall(), ChainProblem::UntrustedRoot);

    yx::ChainCandidates caStore;
    caStore.add(ca.cert(), CertOrigin::CaStore);
    yx::CertChain trusted = yx::buildCertChain(ca.cert(), caStore);
    ASSERT_EQ(trusted.elements.size(), 1u);
    EXPECT_TRUE(trusted.trusted);
    EXPECT_EQ(trusted.overall(), ChainProblem::None);
}

TEST(CertChain, ExpiredIntermediateIsReportedBelowIt) {
    TestCa rootCa;
    Issued mid = intermediate(rootCa, "过期的二级CA", -3600);
    Issued user = userCert(rootCa);
    reissue(user, mid.cert.get(), mid.key.get());
    yx::ChainCandidates cands;
    cands.add(mid.cert.get(), CertOrigin::CaStore);
    cands.add(rootCa.cert(), CertOrigin::CaStore);

    const yx::CertChain chain = yx::buildCertChain(user.cert.get(), cands);
    ASSERT_EQ(chain.elements.size(), 3u);
    EXPECT_EQ(chain.elements[0].problem, ChainProblem::None);
    EXPECT_EQ(chain.elements[1].problem, ChainProblem::Expired);
    bool inherited = false;
    EXPECT_EQ(chain.effectiveProblem(0, &inherited), ChainProblem::Expired);
    EXPECT_TRUE(inherited);
    EXPECT_EQ(chain.effectiveProblem(1, &inherited), ChainProblem::Expired);
    EXPECT_FALSE(inherited);
    EXPECT_EQ(chain.effectiveProblem(2), ChainProblem::None);
    EXPECT_NE(yx::chainProblemText(ChainProblem::Expired, true),
              yx::chainProblemText(ChainProblem::Expired, false));
}

TEST(CertChain, AlteredCertificateFailsItsSignature) {
    TestCa ca;
    Issued user = userCert(ca);
    // Changing a signed field after signing: the issuer's key no longer verifies it.
    yx::Asn1TimePtr later(X509_gmtime_adj(nullptr, 2L * 365 * 86400));
    ASSERT_EQ(X509_set1_notAfter(user.cert.get(), later.get()), 1);
    yx::ChainCandidates cands;
    cands.add(ca.cert(), CertOrigin::CaStore);

    const yx::CertChain chain = yx::buildCertChain(user.cert.get(), cands);
    ASSERT_EQ(chain.elements.size(), 2u);
    EXPECT_EQ(chain.elements[0].problem, ChainProblem::BadSignature);
    EXPECT_EQ(chain.elements[1].problem, ChainProblem::None);
}

TEST(CertChain, SystemTrustFolderIsSearchedByNameHash) {
    TestCa ca;
    Issued user = userCert(ca);
    TempDir dir;
    addToTrustDir(dir.path(), ca.cert());

    yx::ChainCandidates cands;
    cands.setSystemTrustDir(dir.path());
    const yx::CertChain chain = yx::buildCertChain(user.cert.get(), cands);
    ASSERT_EQ(chain.elements.size(), 2u);
    EXPECT_EQ(chain.elements[1].origin, CertOrigin::SystemTrust);
    EXPECT_TRUE(chain.trusted);
    EXPECT_TRUE(cands.isTrustedAnchor(ca.cert()));
    EXPECT_FALSE(cands.isTrustedAnchor(user.cert.get()));

    yx::ChainCandidates elsewhere; // another folder does not have it
    elsewhere.setSystemTrustDir(dir.path() + "/none");
    EXPECT_EQ(yx::buildCertChain(user.cert.get(), elsewhere).overall(), ChainProblem::IssuerNotFound);
}
