#include "Revocation.h"

#include "CrlCache.h"
#include "CrlDistributionPoints.h"
#include "CrlFetcher.h"
#include "CrlValidation.h"
#include "DerBytes.h"
#include "IssuerLookup.h"

#include <ctime>
#include <map>
#include <utility>

namespace yx {

RevocationOptions& revocationOptions() {
    static RevocationOptions options;
    return options;
}

namespace {

// What one distribution point gave for one certificate.
enum class PointOutcome {
    Usable,   // a current CRL from the issuer
    NoAnswer, // nothing to go on: no answer, nothing cached, or only a CRL past its nextUpdate
    Bad,      // an answer that cannot be trusted: junk, wrong issuer, bad signature, expired
};

} // namespace

struct RevocationSession::State {
    struct Point {
        bool fetched = false;  // fetched (or tried) during this load
        bool answered = false; // the server gave a 2xx answer
        X509CrlPtr fresh;      // that answer as a CRL; null for junk
        std::vector<unsigned char> freshDer;
        bool cacheWritten = false;
        bool cacheRead = false;
        X509CrlPtr cached; // from the cache folder; null when absent or damaged
    };

    IssuerFinder issuers{storeIssuerSources()};
    std::map<std::string, Point> points;
    std::map<std::pair<const X509_CRL*, const X509*>, CrlTrust> trust; // signature checks done
    std::vector<X509CrlPtr> retired; // replaced CRL objects, kept so their addresses stay unique

    CrlTrust trustOf(X509_CRL* crl, X509* issuer) {
        const auto key = std::make_pair(static_cast<const X509_CRL*>(crl), static_cast<const X509*>(issuer));
        if (auto it = trust.find(key); it != trust.end())
            return it->second;
        return trust.emplace(key, checkCrlIssuer(crl, issuer)).first->second;
    }

    Point& fetch(const std::string& url) {
        Point& p = points[url];
        if (p.fetched)
            return p; // once per load, whether it worked or not
        p.fetched = true;
        const RevocationOptions& options = revocationOptions();
        FetchResult r = fetchUrl(url, options);
        if (r.status == FetchStatus::NoAnswer)
            return p;
        p.answered = true; // an over-long answer is an answer, and an unusable one
        if (r.status == FetchStatus::Ok) {
            p.fresh = decodeCrl(r.body);
            if (p.fresh)
                p.freshDer = toDer<i2d_X509_CRL>(p.fresh.get());
        }
        return p;
    }

    Point& readCache(const std::string& url) {
        Point& p = points[url];
        if (p.cacheRead)
            return p;
        p.cacheRead = true;
        // A damaged cache file counts as no cache: it is our own copy, not the server's word.
        if (auto bytes = readCachedCrl(url, revocationOptions().maxCrlBytes))
            p.cached = decodeCrl(*bytes);
        return p;
    }

    PointOutcome judge(X509_CRL* crl, X509* issuer, time_t now, bool fromServer) {
        if (trustOf(crl, issuer) != CrlTrust::Verified)
            return PointOutcome::Bad;
        if (isCrlCurrent(crl, now))
            return PointOutcome::Usable;
        // A server handing out a CRL that is already past its nextUpdate (or not yet valid) is
        // misconfigured: that is an error, not a missing answer. A cached CRL that has simply aged
        // tells us nothing about today, so the status is unknown until a fresh one is fetched.
        return fromServer ? PointOutcome::Bad : PointOutcome::NoAnswer;
    }

    PointOutcome online(const std::string& url, X509* issuer, time_t now, X509_CRL*& crl) {
        Point& p = fetch(url);
        if (!p.answered)
            return PointOutcome::NoAnswer;
        if (!p.fresh)
            return PointOutcome::Bad;
        const PointOutcome o = judge(p.fresh.get(), issuer, now, true);
        if (o == PointOutcome::Usable) {
            crl = p.fresh.get();
            // Only a verified, current CRL replaces the cached one.
            if (!p.cacheWritten && !p.freshDer.empty()) {
                p.cacheWritten = true;
                writeCachedCrl(url, p.freshDer);
                // The cache now holds this CRL. The old object stays alive until the load ends:
                // `trust` is keyed by address, which must not be reused within the load.
                retired.push_back(std::move(p.cached));
                p.cached.reset(X509_CRL_dup(p.fresh.get()));
                p.cacheRead = p.cached != nullptr;
            }
        }
        return o;
    }

    PointOutcome cacheOnly(const std::string& url, X509* issuer, time_t now, X509_CRL*& crl) {
        Point& p = readCache(url);
        if (!p.cached)
            return PointOutcome::NoAnswer;
        const PointOutcome o = judge(p.cached.get(), issuer, now, false);
        if (o == PointOutcome::Usable)
            crl = p.cached.get();
        return o;
    }

    RevocationResult check(X509* cert, bool online) {
        const std::vector<std::string> urls = crlDistributionUrls(cert);
        if (urls.empty())
            return RevocationResult::NoCheck;
        // Without the issuer no CRL can be verified, so there is nothing worth fetching.
        X509* issuer = issuers.find(cert);
        if (!issuer)
            return RevocationResult::Error;
        const time_t now = std::time(nullptr);

        X509_CRL* crl = nullptr;
        bool bad = false;
        for (const auto& url : urls) {
            const PointOutcome o =
                online ? this->online(url, issuer, now, crl) : cacheOnly(url, issuer, now, crl);
            if (o == PointOutcome::Usable)
                return crlListsCertificate(crl, cert) ? RevocationResult::Revoked : RevocationResult::Good;
            bad = bad || o == PointOutcome::Bad;
        }
        if (bad)
            return RevocationResult::Error;
        // Online and no server answered: a cached CRL that is still current will do.
        if (online)
            for (const auto& url : urls)
                if (cacheOnly(url, issuer, now, crl) == PointOutcome::Usable)
                    return crlListsCertificate(crl, cert) ? RevocationResult::Revoked
                                                          : RevocationResult::Good;
        return RevocationResult::Offline;
    }
};

namespace {
thread_local RevocationSession* t_current = nullptr;
} // namespace

RevocationSession::RevocationSession() : m_state(std::make_unique<State>()), m_outer(t_current) {
    t_current = this;
}

RevocationSession::~RevocationSession() {
    t_current = m_outer;
}

RevocationResult checkRevocation(const CertContext& cert, bool online) {
    if (!cert.x509)
        return RevocationResult::Error;
    if (t_current)
        return t_current->state().check(cert.x509.get(), online);
    RevocationSession load; // a check on its own is a load of one
    return load.state().check(cert.x509.get(), online);
}

} // namespace yx
