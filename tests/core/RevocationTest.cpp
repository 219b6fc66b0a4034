#include "Revocation.h"
#include "CertStore.h"
#include "CrlCache.h"
#include "CrlFetcher.h"
#include "CrlValidation.h"
#include "HttpTestServer.h"
#include "SafeFile.h"
#include "SlapdFixture.h"
#include "TestPki.h"

#include <gtest/gtest.h>
#include <openssl/x509v3.h>

using yx::RevocationResult;
using yxtest::HttpTestServer;

namespace {

// Points OpenSSL's default trust folder (SSL_CERT_DIR) at an empty folder, so the system-trust
// branch of the issuer look-up never sees the machine's own CAs.
class ScopedTrustFolder : public yxtest::TempDir {
    yxtest::ScopedEnv m_dir{"SSL_CERT_DIR", path()}, m_file{"SSL_CERT_FILE", file("no-bundle.pem")};
};

class Revocation : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = yx::revocationOptions();
        // Generous for answering servers on a busy machine; silent ones get shortTimeOuts().
        yx::revocationOptions().connectTimeoutMs = 3000;
        yx::revocationOptions().totalTimeoutMs = 5000;
        CCaCertStore caStore;
        CDigitalCertificate caCert(yx::CertContext::fromX509(ca.cert()));
        ASSERT_EQ(caStore.ImportCert(&caCert), 0);
    }
    void TearDown() override { yx::revocationOptions() = m_saved; }

    yxtest::Issued issueWith(std::vector<std::string> urls) { return ca.issue({.crlUrls = std::move(urls)}); }
    static void shortTimeOuts() {
        yx::revocationOptions().connectTimeoutMs = 300;
        yx::revocationOptions().totalTimeoutMs = 300;
    }
    RevocationResult check(const yxtest::Issued& issued, bool online) {
        return yx::checkRevocation(*yx::CertContext::fromX509(issued.cert.get()), online);
    }
    bool cached(const std::string& url) const { return yx::fileExists(yx::crlCachePath(url)); }

    yxtest::ScopedDataRoot root;
    ScopedTrustFolder trust; // empty unless a test adds to it: the machine's own CAs stay out
    yxtest::TestCa ca;
    HttpTestServer server;

private:
    yx::RevocationOptions m_saved;
};

TEST_F(Revocation, GoodAndRevokedOnlineThenFromTheCache) {
    auto good = issueWith({server.url("/ca.crl")});
    auto bad = issueWith({server.url("/ca.crl")});
    server.setBody("/ca.crl", ca.crlDer({bad.cert.get()}));

    EXPECT_EQ(check(good, true), RevocationResult::Good);
    EXPECT_EQ(check(bad, true), RevocationResult::Revoked);
    EXPECT_TRUE(cached(server.url("/ca.crl")));
    // Outside a session every check is its own load.
    EXPECT_EQ(server.requestCount("/ca.crl"), 2);

    // Cache-only mode asks nobody.
    server.setMode("/ca.crl", HttpTestServer::Mode::NotFound);
    EXPECT_EQ(check(good, false), RevocationResult::Good);
    EXPECT_EQ(check(bad, false), RevocationResult::Revoked);
    EXPECT_EQ(server.requestCount("/ca.crl"), 2);
}

TEST_F(Revocation, UnanswerableServersAreOfflineUnlessACurrentCacheExists) {
    const std::string refused = "http://127.0.0.1:" + std::to_string(yxtest::closedPort()) + "/ca.crl";
    auto viaRefused = issueWith({refused});
    auto via404 = issueWith({server.url("/gone.crl")});
    EXPECT_EQ(check(viaRefused, true), RevocationResult::Offline);
    EXPECT_EQ(check(via404, true), RevocationResult::Offline);
    EXPECT_FALSE(cached(server.url("/gone.crl")));

    // A current CRL cached earlier stands in for a server that does not answer.
    ASSERT_TRUE(yx::writeCachedCrl(server.url("/gone.crl"), ca.crlDer({via404.cert.get()})));
    EXPECT_EQ(check(via404, true), RevocationResult::Revoked);
}

TEST_F(Revocation, ForgedCrlIsAnErrorAndLeavesTheCachedOneAlone) {
    auto cert = issueWith({server.url("/ca.crl")});
    server.setBody("/ca.crl", ca.crlDer({}));
    ASSERT_EQ(check(cert, true), RevocationResult::Good);
    const auto before = yx::readWholeFile(yx::crlCachePath(server.url("/ca.crl")));
    ASSERT_TRUE(before);

    auto wrongKey = yxtest::pooledKey(3);
    server.setBody("/ca.crl", ca.forgedCrlDer(wrongKey.get()));
    EXPECT_EQ(check(cert, true), RevocationResult::Error);
    EXPECT_EQ(yx::readWholeFile(yx::crlCachePath(server.url("/ca.crl"))), before);
    EXPECT_EQ(check(cert, false), RevocationResult::Good);

    // A forgery planted in the cache folder is caught when it is read.
    ASSERT_TRUE(yx::writeCachedCrl(server.url("/ca.crl"), ca.forgedCrlDer(wrongKey.get())));
    EXPECT_EQ(check(cert, false), RevocationResult::Error);
}

TEST_F(Revocation, ExpiredCrl) {
    const std::string url = server.url("/ca.crl");
    auto cert = issueWith({url});
    // Served already past its nextUpdate: the server is at fault.
    server.setBody("/ca.crl", ca.crlDer({}, -7 * 86400, -86400));
    EXPECT_EQ(check(cert, true), RevocationResult::Error);
    EXPECT_FALSE(cached(url));

    // Aged in the cache: unknown in cache-only mode, refreshed online.
    ASSERT_TRUE(yx::writeCachedCrl(url, ca.crlDer({cert.cert.get()}, -7 * 86400, -86400)));
    EXPECT_EQ(check(cert, false), RevocationResult::Offline);
    server.setBody("/ca.crl", ca.crlDer({}));
    EXPECT_EQ(check(cert, true), RevocationResult::Good);
    EXPECT_EQ(check(cert, false), RevocationResult::Good);

    // A CRL dated in the future is not current either.
    ASSERT_TRUE(yx::writeCachedCrl(url, ca.crlDer({}, 86400, 7 * 86400)));
    EXPECT_EQ(check(cert, false), RevocationResult::Offline);
}

TEST_F(Revocation, UnknownIssuerIsAnErrorWithoutAnyFetch) {
    // A stranger, and a twin with the trusted CA's name but another key: the authority key
    // identifier tells the twin apart.
    for (const char* cn : {"陌生CA", "钥匣测试根CA"}) {
        SCOPED_TRACE(cn);
        yxtest::TestCa issuer(cn, 2);
        auto cert = issuer.issue({.crlUrls = {server.url("/other.crl")}});
        server.setBody("/other.crl", issuer.crlDer({}));
        EXPECT_EQ(check(cert, true), RevocationResult::Error);
        EXPECT_EQ(check(cert, false), RevocationResult::Error);
    }
    EXPECT_EQ(server.totalRequests(), 0);
}

TEST_F(Revocation, SilentServerCostsOneTimeOutPerPointPerSession) {
    shortTimeOuts();
    server.setMode("/silent.crl", HttpTestServer::Mode::Silent);
    std::vector<yxtest::Issued> certs;
    for (int i = 0; i < 8; ++i)
        certs.push_back(issueWith({server.url("/silent.crl")}));
    {
        yx::RevocationSession load;
        for (const auto& c : certs)
            EXPECT_EQ(check(c, true), RevocationResult::Offline);
    }
    EXPECT_EQ(server.requestCount("/silent.crl"), 1); // asked once: one time-out, not eight
    // The next load asks again: a server down now may be back.
    EXPECT_EQ(check(certs.front(), true), RevocationResult::Offline);
    EXPECT_EQ(server.requestCount("/silent.crl"), 2);
}

TEST_F(Revocation, SecondDistributionPointIsUsedWhenTheFirstIsDown) {
    const std::string refused = "http://127.0.0.1:" + std::to_string(yxtest::closedPort()) + "/a.crl";
    auto viaRefused = issueWith({refused, server.url("/b.crl")});
    auto bad = issueWith({server.url("/silent.crl"), server.url("/b.crl")});
    shortTimeOuts();
    server.setMode("/silent.crl", HttpTestServer::Mode::Silent);
    server.setBody("/b.crl", ca.crlDer({bad.cert.get()}));

    EXPECT_EQ(check(viaRefused, true), RevocationResult::Good);
    yx::RevocationSession load;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(check(bad, true), RevocationResult::Revoked);
        EXPECT_EQ(check(viaRefused, true), RevocationResult::Good);
    }
    EXPECT_EQ(server.requestCount("/silent.crl"), 1);
    EXPECT_EQ(server.requestCount("/b.crl"), 2); // one before the session, one inside it
    // Cache-only finds the second point's CRL in the cache.
    EXPECT_EQ(check(bad, false), RevocationResult::Revoked);
}

TEST_F(Revocation, RedirectsOnlyToHttp) {
    auto viaRedirect = issueWith({server.url("/moved.crl")});
    auto viaFileRedirect = issueWith({server.url("/tofile.crl")});
    server.setRedirect("/moved.crl", server.url("/ca.crl"));
    yxtest::writeFile(root.path(), "ca.crl", ca.crlDer({viaFileRedirect.cert.get()}));
    server.setRedirect("/tofile.crl", "file://" + root.path() + "/ca.crl");
    server.setBody("/ca.crl", ca.crlDer({viaRedirect.cert.get()}));

    EXPECT_EQ(check(viaRedirect, true), RevocationResult::Revoked);
    EXPECT_EQ(check(viaFileRedirect, true), RevocationResult::Offline);
}

TEST_F(Revocation, JunkOrOversizedAnswerIsAnErrorAndNeverCached) {
    auto junk = issueWith({server.url("/junk.crl")});
    auto cert = issueWith({server.url("/ca.crl")});
    server.setMode("/junk.crl", HttpTestServer::Mode::Junk);
    const auto crl = ca.crlDer({});
    server.setBody("/ca.crl", crl);
    yx::revocationOptions().maxCrlBytes = crl.size() - 1;
    EXPECT_EQ(check(junk, true), RevocationResult::Error);
    EXPECT_EQ(check(cert, true), RevocationResult::Error);
    EXPECT_FALSE(cached(server.url("/junk.crl")));
    EXPECT_FALSE(cached(server.url("/ca.crl")));
    yx::revocationOptions().maxCrlBytes = crl.size();
    EXPECT_EQ(check(cert, true), RevocationResult::Good);
}

TEST(CrlDecode, DerPemAndJunk) {
    yxtest::TestCa ca;
    const auto der = ca.crlDer({});
    EXPECT_NE(yx::decodeCrl(der), nullptr);
    const auto pem = yxtest::pemOf(yx::decodeCrl(der).get());
    EXPECT_NE(yx::decodeCrl(std::vector<unsigned char>(pem.begin(), pem.end())), nullptr);
    auto trailing = der;
    trailing.push_back(0);
    EXPECT_EQ(yx::decodeCrl(trailing), nullptr);
    EXPECT_EQ(yx::decodeCrl({}), nullptr);
    EXPECT_EQ(yx::decodeCrl({'j', 'u', 'n', 'k'}), nullptr);
}

// The CA's certificate again with only `usage` as its key usage (same name and key), read back
// from DER so nothing of the original is cached.
yx::X509Ptr withKeyUsage(const yxtest::TestCa& ca, const char* usage) {
    yx::X509Ptr x(X509_dup(ca.cert()));
    X509_EXTENSION_free(X509_delete_ext(x.get(), X509_get_ext_by_NID(x.get(), NID_key_usage, -1)));
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, x.get(), x.get(), nullptr, nullptr, 0);
    yx::X509ExtPtr ext(X509V3_EXT_conf_nid(nullptr, &ctx, NID_key_usage, usage));
    EXPECT_TRUE(ext && X509_add_ext(x.get(), ext.get(), -1) == 1 &&
                X509_sign(x.get(), ca.key(), EVP_sha256()) > 0);
    const yxtest::Bytes der = yxtest::derOf(x.get());
    const unsigned char* p = der.data();
    return yx::X509Ptr(d2i_X509(nullptr, &p, static_cast<long>(der.size())));
}

TEST(CrlIssuer, OnlyAKeyAllowedToSignCrlsVouchesForOne) {
    yxtest::TestCa ca;
    yx::X509CrlPtr crl = yx::decodeCrl(ca.crlDer({}));
    ASSERT_TRUE(crl);
    EXPECT_EQ(yx::checkCrlIssuer(crl.get(), withKeyUsage(ca, "critical,cRLSign").get()),
              yx::CrlTrust::Verified);
    EXPECT_EQ(yx::checkCrlIssuer(crl.get(), withKeyUsage(ca, "critical,keyCertSign").get()),
              yx::CrlTrust::NotCrlSigner);
}

} // namespace
