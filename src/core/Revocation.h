// Revocation checking with CRLs: distribution points, an HTTP fetch (online mode), signature and
// date checks against the issuer, and a cache on disk.
#pragma once

#include "CertContext.h"

#include <memory>

namespace yx {

// Outcomes, as the certificate's CRL check maps them to status texts.
enum class RevocationResult {
    Good,    // "有效"
    Revoked, // "已吊销"
    Offline, // "未知": cache-only without a cached CRL, or the server does not answer
    NoCheck, // "无CRL": the certificate names no distribution point
    Error,   // "错误": issuer not found, bad signature, CRL expired or junk
};

// Checks one certificate. Uses the current RevocationSession when one is active.
RevocationResult checkRevocation(const CertContext& cert, bool online);

// A list load: inside one session each distribution point is fetched at most once, and a
// server that failed is not asked again, so 1,000 certificates sharing a CRL cost one fetch.
// Sessions nest per thread; the innermost is current.
class RevocationSession {
public:
    RevocationSession();
    ~RevocationSession();
    RevocationSession(const RevocationSession&) = delete;
    RevocationSession& operator=(const RevocationSession&) = delete;
    struct State;
    State& state() { return *m_state; }

private:
    std::unique_ptr<State> m_state;
    RevocationSession* m_outer;
};

// Network settings (tests shorten them).
struct RevocationOptions {
    long connectTimeoutMs = 3000;
    long totalTimeoutMs = 8000;
    size_t maxCrlBytes = 32u << 20;
};
RevocationOptions& revocationOptions();

} // namespace yx
