// A certificate list load with revocation checks: 1,000 certificates of one CA that share one CRL
// distribution point on a loopback server. Times a cache-only load and an online load, each in one
// RevocationSession, beside `openssl verify -crl_check` over the same certificates and CRL.
#include "CertStore.h"
#include "HttpTestServer.h"
#include "Revocation.h"
#include "TestPki.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <openssl/pem.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string pemOf(X509* cert) {
    yx::BioPtr bio(BIO_new(BIO_s_mem()));
    PEM_write_bio_X509(bio.get(), cert);
    char* data = nullptr;
    const long n = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<size_t>(n));
}

std::string pemOfCrl(const yxtest::Bytes& der) {
    const unsigned char* p = der.data();
    yx::X509CrlPtr crl(d2i_X509_CRL(nullptr, &p, static_cast<long>(der.size())));
    yx::BioPtr bio(BIO_new(BIO_s_mem()));
    PEM_write_bio_X509_CRL(bio.get(), crl.get());
    char* data = nullptr;
    const long n = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<size_t>(n));
}

struct Load {
    double ms = 0;
    int good = 0, revoked = 0, other = 0;
};

Load runLoad(const std::vector<yx::CertContextPtr>& certs, bool online) {
    Load out;
    const auto start = Clock::now();
    yx::RevocationSession session;
    for (const auto& c : certs) {
        switch (yx::checkRevocation(*c, online)) {
        case yx::RevocationResult::Good:
            ++out.good;
            break;
        case yx::RevocationResult::Revoked:
            ++out.revoked;
            break;
        default:
            ++out.other;
            break;
        }
    }
    out.ms = msSince(start);
    return out;
}

} // namespace

int main() {
    constexpr int kCerts = 1000;
    yxtest::ScopedDataRoot root;
    yxtest::TestCa ca;
    yxtest::HttpTestServer server;

    std::printf("making %d certificates...\n", kCerts);
    std::vector<yxtest::Issued> issued;
    std::vector<X509*> revoked;
    yxtest::CertProfile profile;
    profile.crlUrls = {server.url("/ca.crl")};
    for (int i = 0; i < kCerts; ++i) {
        issued.push_back(ca.issue(profile));
        if (i % 50 == 0)
            revoked.push_back(issued.back().cert.get());
    }
    const yxtest::Bytes crl = ca.crlDer(revoked);
    server.setBody("/ca.crl", crl);

    CCaCertStore caStore;
    CDigitalCertificate caCert(yx::CertContext::fromX509(ca.cert()));
    if (caStore.ImportCert(&caCert) != 0) {
        std::fprintf(stderr, "cannot import the CA into the CA store\n");
        return 1;
    }

    std::vector<yx::CertContextPtr> certs;
    std::vector<std::string> verifyArgs = {"openssl",
                                           "verify",
                                           "-crl_check",
                                           "-CAfile",
                                           yxtest::writeFile(root.path(), "ca.pem", pemOf(ca.cert())),
                                           "-CRLfile",
                                           yxtest::writeFile(root.path(), "crl.pem", pemOfCrl(crl))};
    for (size_t i = 0; i < issued.size(); ++i) {
        certs.push_back(yx::CertContext::fromX509(issued[i].cert.get()));
        verifyArgs.push_back(
            yxtest::writeFile(root.path(), "c" + std::to_string(i) + ".pem", issued[i].pem()));
    }

    // Fill the cache once (not timed), as an earlier online load would have.
    yx::checkRevocation(*certs.front(), true);
    server.resetCounts();

    const Load cacheOnly = runLoad(certs, false);
    const Load online = runLoad(certs, true);
    const int fetches = server.requestCount("/ca.crl");

    // openssl reports each revoked certificate on stderr; keep the bench's output to the figures.
    std::fflush(nullptr);
    const int savedErr = ::dup(2);
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    ::dup2(devNull, 2);
    std::string out;
    const auto start = Clock::now();
    const int rc = yxtest::runCommand(verifyArgs, &out);
    const double opensslMs = msSince(start);
    ::dup2(savedErr, 2);
    ::close(savedErr);
    ::close(devNull);
    int opensslOk = 0;
    for (size_t pos = 0; (pos = out.find(": OK\n", pos)) != std::string::npos; ++pos)
        ++opensslOk;

    std::printf("%d certificates, %zu revoked, one CRL of %zu bytes\n", kCerts, revoked.size(), crl.size());
    std::printf("(a) cache-only load, one session : %8.1f ms  (%6.1f us/cert)  good %d revoked %d other %d\n",
                cacheOnly.ms, cacheOnly.ms * 1000 / kCerts, cacheOnly.good, cacheOnly.revoked,
                cacheOnly.other);
    std::printf("(b) online load, one session     : %8.1f ms  (%6.1f us/cert)  good %d revoked %d other %d, "
                "%d fetch(es)\n",
                online.ms, online.ms * 1000 / kCerts, online.good, online.revoked, online.other, fetches);
    std::printf("(c) openssl verify -crl_check    : %8.1f ms  (%6.1f us/cert)  OK %d, exit %d "
                "(one process, all files; also verifies each certificate's signature)\n",
                opensslMs, opensslMs * 1000 / kCerts, opensslOk, rc);
    const bool consistent = cacheOnly.revoked == static_cast<int>(revoked.size()) &&
                            online.revoked == cacheOnly.revoked && cacheOnly.other == 0 &&
                            online.other == 0 && opensslOk == kCerts - static_cast<int>(revoked.size()) &&
                            fetches == 1;
    std::printf("results agree: %s\n", consistent ? "yes" : "NO");
    return consistent ? 0 : 1;
}
