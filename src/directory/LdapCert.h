// CLdapCert: finds the certificates of a person in a directory (LDAP) server. One connection per
// query, anonymous, LDAPv3, no referral chasing; every wait is bounded so an unreachable or
// silent host fails within seconds. Safe to run on a worker thread (one object per thread).
#pragma once

#include "OwnedCerts.h"
#include "ResultCodes.h"

#include <string>
#include <vector>

class CLdapCert {
public:
    // Result codes (ResultCodes.h; 0 = the query succeeded, with or without matches).
    enum {
        kOk = yx::rc::kOk,
        kNoCriteria = yx::rc::kNoCriteria,
        kBadHost = yx::rc::kBadHost,
        kConnectFailed = yx::rc::kConnectFailed,
        kTimedOut = yx::rc::kTimedOut,
        kSearchFailed = yx::rc::kSearchFailed,
    };

    // Bounds of one query, in milliseconds: the TCP connect, and the whole query (bind, reading
    // the naming contexts and every search together).
    struct Timeouts {
        int connectMs = 3000;
        int queryMs = 6000;
    };
    static constexpr int kSizeLimit = 200; // entries per search; more are not fetched

    CLdapCert() = default;
    explicit CLdapCert(const Timeouts& timeouts) : m_timeouts(timeouts) {}

    // Searches `host` ("ldap://host:port/base-dn", "ldaps://..."; a bare "host[:port]" is taken
    // as ldap://) for entries whose cn is `name` and/or whose mail is `email` (UTF-8; null or
    // empty = not a criterion) and appends one new certificate per distinct
    // userCertificate;binary value; values that are not certificates are skipped. On failure
    // nothing is appended.
    int getUserCertificates(const char* host, const char* name, const char* email, yx::OwnedCerts& found);

    // Why the last query failed, for logs and the command-line tool (English, may be empty).
    const std::string& lastError() const { return m_lastError; }

private:
    Timeouts m_timeouts;
    std::string m_lastError;
};
