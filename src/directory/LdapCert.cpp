#include "LdapCert.h"

#include "LdapFilter.h"

#include <ldap.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <set>
#include <string>
#include <sys/socket.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// The time left for the whole query.
class Deadline {
public:
    explicit Deadline(int ms) : m_end(Clock::now() + std::chrono::milliseconds(ms)) {}
    // False once the time is up; else the time left as a timeval.
    bool left(timeval& tv) const {
        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(m_end - Clock::now()).count();
        if (us <= 0)
            return false;
        tv.tv_sec = static_cast<time_t>(us / 1000000);
        tv.tv_usec = static_cast<suseconds_t>(us % 1000000);
        return true;
    }

    Clock::time_point end() const { return m_end; }

private:
    Clock::time_point m_end;
};

timeval msToTimeval(int ms) {
    timeval tv{};
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
    return tv;
}

// A server that drops the connection while libldap writes must not end the process: SIGPIPE is
// blocked on this thread for the query, and one raised meanwhile is taken off again.
class SigpipeGuard {
public:
    SigpipeGuard() {
        sigset_t pipeOnly;
        sigemptyset(&pipeOnly);
        sigaddset(&pipeOnly, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE) == 1;
        m_blocked = pthread_sigmask(SIG_BLOCK, &pipeOnly, &m_old) == 0;
    }
    ~SigpipeGuard() {
        if (!m_blocked)
            return;
        sigset_t pending;
        sigpending(&pending);
        if (!m_wasPending && sigismember(&pending, SIGPIPE) == 1) {
            sigset_t pipeOnly;
            sigemptyset(&pipeOnly);
            sigaddset(&pipeOnly, SIGPIPE);
            const timespec zero{0, 0};
            while (sigtimedwait(&pipeOnly, nullptr, &zero) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
    }
    SigpipeGuard(const SigpipeGuard&) = delete;
    SigpipeGuard& operator=(const SigpipeGuard&) = delete;

private:
    sigset_t m_old{};
    bool m_blocked = false;
    bool m_wasPending = false;
};

// The connection's socket, learnt through libldap's connect callback, so a watchdog can cut it.
// libldap bounds the TLS handshake of ldaps:// only partly: against a host that accepts and
// never answers, its handshake can wait (or spin) for ever. Shutting the socket down makes every
// read return end-of-file, which ends any wait inside the library.
class ConnectionCut {
public:
    ConnectionCut() {
        m_cb.lc_add = &ConnectionCut::added;
        m_cb.lc_del = &ConnectionCut::removed;
        m_cb.lc_arg = this;
    }
    ldap_conncb* callbacks() { return &m_cb; }

    void cut() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_cut = true;
        if (m_fd >= 0)
            ::shutdown(m_fd, SHUT_RDWR);
    }
    bool wasCut() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_cut;
    }

private:
    static int added(LDAP*, Sockbuf* sb, LDAPURLDesc*, sockaddr*, ldap_conncb* ctx) {
        auto* self = static_cast<ConnectionCut*>(ctx->lc_arg);
        ber_socket_t fd = -1;
        if (ber_sockbuf_ctrl(sb, LBER_SB_OPT_GET_FD, &fd) != 1)
            fd = -1;
        std::lock_guard<std::mutex> lock(self->m_mutex);
        self->m_fd = fd;
        if (self->m_cut && fd >= 0)
            ::shutdown(fd, SHUT_RDWR);
        return 0;
    }
    // Called before libldap closes the socket: the number may be reused after that.
    static void removed(LDAP*, Sockbuf*, ldap_conncb* ctx) {
        auto* self = static_cast<ConnectionCut*>(ctx->lc_arg);
        std::lock_guard<std::mutex> lock(self->m_mutex);
        self->m_fd = -1;
    }

    ldap_conncb m_cb{};
    std::mutex m_mutex;
    int m_fd = -1;
    bool m_cut = false;
};

// Cuts the connection when the query outlives its time; stopped (and joined) on destruction.
class Watchdog {
public:
    Watchdog(ConnectionCut& cut, Clock::time_point when)
        : m_thread([this, &cut, when] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (!m_cv.wait_until(lock, when, [this] { return m_stop; }))
                  cut.cut();
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_stop = false;
    std::thread m_thread; // last: starts once the members above exist
};

struct LdapCloser {
    void operator()(LDAP* ld) const { ldap_unbind_ext_s(ld, nullptr, nullptr); }
};
using LdapPtr = std::unique_ptr<LDAP, LdapCloser>;

struct MessageFree {
    void operator()(LDAPMessage* m) const { ldap_msgfree(m); }
};
using MessagePtr = std::unique_ptr<LDAPMessage, MessageFree>;

struct UrlFree {
    void operator()(LDAPURLDesc* d) const { ldap_free_urldesc(d); }
};
using UrlPtr = std::unique_ptr<LDAPURLDesc, UrlFree>;

struct ValuesFree {
    void operator()(berval** v) const { ldap_value_free_len(v); }
};
using ValuesPtr = std::unique_ptr<berval*, ValuesFree>;

struct MemFree {
    void operator()(char* p) const { ldap_memfree(p); }
};
using LdapTextPtr = std::unique_ptr<char, MemFree>;

struct BerFree {
    void operator()(BerElement* b) const { ber_free(b, 0); }
};
using BerPtr = std::unique_ptr<BerElement, BerFree>;

int codeFor(int ldapRc) {
    switch (ldapRc) {
    case LDAP_SERVER_DOWN:
    case LDAP_CONNECT_ERROR:
        return CLdapCert::kConnectFailed;
    case LDAP_TIMEOUT:
        return CLdapCert::kTimedOut;
    default:
        return CLdapCert::kSearchFailed;
    }
}

int sessionError(LDAP* ld) {
    int rc = LDAP_OTHER;
    ldap_get_option(ld, LDAP_OPT_RESULT_CODE, &rc);
    return rc == LDAP_SUCCESS ? LDAP_OTHER : rc;
}

// Waits for the whole answer to `msgid` within the deadline; abandons it when the time is up.
// Returns the LDAP result code of the wait (not yet of the operation).
int awaitAll(LDAP* ld, int msgid, const Deadline& deadline, MessagePtr& out) {
    timeval tv{};
    if (!deadline.left(tv)) {
        ldap_abandon_ext(ld, msgid, nullptr, nullptr);
        return LDAP_TIMEOUT;
    }
    LDAPMessage* res = nullptr;
    const int got = ldap_result(ld, msgid, LDAP_MSG_ALL, &tv, &res);
    out.reset(res);
    if (got == 0) {
        ldap_abandon_ext(ld, msgid, nullptr, nullptr);
        return LDAP_TIMEOUT;
    }
    if (got < 0)
        return sessionError(ld);
    return LDAP_SUCCESS;
}

// The final result code carried by a complete answer (a chain ending in its result message).
int operationResult(LDAP* ld, LDAPMessage* chain) {
    int err = LDAP_OTHER;
    if (ldap_parse_result(ld, chain, &err, nullptr, nullptr, nullptr, nullptr, 0) != LDAP_SUCCESS)
        return sessionError(ld);
    return err;
}

int anonymousBind(LDAP* ld, const Deadline& deadline) {
    berval empty{0, nullptr};
    int msgid = -1;
    int rc = ldap_sasl_bind(ld, "", LDAP_SASL_SIMPLE, &empty, nullptr, nullptr, &msgid);
    if (rc != LDAP_SUCCESS)
        return rc;
    MessagePtr res;
    rc = awaitAll(ld, msgid, deadline, res);
    if (rc != LDAP_SUCCESS)
        return rc;
    return operationResult(ld, res.get());
}

// Starts a search and waits for all of it. Entries beyond the size limit are dropped by the
// server, which ends with sizeLimitExceeded; what came is used.
int search(LDAP* ld, const std::string& base, int scope, const std::string& filter, char** attrs,
           const Deadline& deadline, MessagePtr& res) {
    timeval tv{};
    if (!deadline.left(tv))
        return LDAP_TIMEOUT;
    int msgid = -1;
    timeval serverLimit = tv; // the server stops working when we stop waiting
    serverLimit.tv_sec += tv.tv_usec > 0 ? 1 : 0;
    serverLimit.tv_usec = 0;
    int rc = ldap_search_ext(ld, base.c_str(), scope, filter.c_str(), attrs, 0, nullptr, nullptr,
                             &serverLimit, CLdapCert::kSizeLimit, &msgid);
    if (rc != LDAP_SUCCESS)
        return rc;
    rc = awaitAll(ld, msgid, deadline, res);
    if (rc != LDAP_SUCCESS)
        return rc;
    rc = operationResult(ld, res.get());
    return rc == LDAP_SIZELIMIT_EXCEEDED ? LDAP_SUCCESS : rc;
}

// The naming contexts the server announces in its root DSE.
int namingContexts(LDAP* ld, const Deadline& deadline, std::vector<std::string>& out) {
    char attr[] = "namingContexts";
    char* attrs[] = {attr, nullptr};
    MessagePtr res;
    const int rc = search(ld, "", LDAP_SCOPE_BASE, "(objectClass=*)", attrs, deadline, res);
    if (rc != LDAP_SUCCESS)
        return rc;
    for (LDAPMessage* e = ldap_first_entry(ld, res.get()); e; e = ldap_next_entry(ld, e)) {
        ValuesPtr vals(ldap_get_values_len(ld, e, attr));
        for (berval** v = vals.get(); v && *v; ++v)
            out.emplace_back((*v)->bv_val, (*v)->bv_len);
    }
    return LDAP_SUCCESS;
}

// userCertificate with any options ("userCertificate;binary"), as servers name it either way.
bool isCertificateAttribute(const char* name) {
    static const char kName[] = "usercertificate";
    const size_t n = sizeof kName - 1;
    return strncasecmp(name, kName, n) == 0 && (name[n] == '\0' || name[n] == ';');
}

// Appends every certificate value of the answer's entries, in server order, once each.
void collectValues(LDAP* ld, LDAPMessage* res, std::set<std::string>& seen,
                   std::vector<std::string>& values) {
    for (LDAPMessage* e = ldap_first_entry(ld, res); e; e = ldap_next_entry(ld, e)) {
        BerElement* rawBer = nullptr;
        LdapTextPtr a(ldap_first_attribute(ld, e, &rawBer));
        const BerPtr ber(rawBer);
        for (; a; a.reset(ldap_next_attribute(ld, e, ber.get()))) {
            if (!isCertificateAttribute(a.get()))
                continue;
            ValuesPtr vals(ldap_get_values_len(ld, e, a.get()));
            for (berval** v = vals.get(); v && *v; ++v) {
                std::string der((*v)->bv_val, (*v)->bv_len);
                if (seen.insert(der).second)
                    values.push_back(std::move(der));
            }
        }
    }
}

// "scheme://host:port" of a parsed URL, for ldap_initialize (which takes no base DN).
std::string serverUri(LDAPURLDesc* url) {
    LDAPURLDesc server{};
    server.lud_scheme = url->lud_scheme;
    server.lud_host = url->lud_host;
    server.lud_port = url->lud_port;
    server.lud_scope = LDAP_SCOPE_DEFAULT;
    const LdapTextPtr text(ldap_url_desc2str(&server));
    if (!text)
        return {};
    std::string uri(text.get());
    while (!uri.empty() && uri.back() == '/')
        uri.pop_back();
    return uri;
}

// The host setting as a URL: blanks around a hand-edited setting are not part of it, and a bare
// "host[:port]" is taken as ldap://.
std::string hostUrl(const char* host) {
    std::string text = host ? host : "";
    text.erase(0, text.find_first_not_of(" \t\r\n"));
    text.erase(text.find_last_not_of(" \t\r\n") + 1);
    if (!text.empty() && text.find("://") == std::string::npos)
        text = "ldap://" + text;
    return text;
}

bool setSessionOptions(LDAP* ld, const CLdapCert::Timeouts& timeouts, ConnectionCut& connection) {
    const int version = LDAP_VERSION3;
    const timeval connectTv = msToTimeval(std::min(timeouts.connectMs, timeouts.queryMs));
    const timeval queryTv = msToTimeval(timeouts.queryMs);
    const int sizeLimit = CLdapCert::kSizeLimit;
    return ldap_set_option(ld, LDAP_OPT_PROTOCOL_VERSION, &version) == LDAP_OPT_SUCCESS &&
           ldap_set_option(ld, LDAP_OPT_NETWORK_TIMEOUT, &connectTv) == LDAP_OPT_SUCCESS &&
           ldap_set_option(ld, LDAP_OPT_TIMEOUT, &queryTv) == LDAP_OPT_SUCCESS &&
           ldap_set_option(ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF) == LDAP_OPT_SUCCESS &&
           ldap_set_option(ld, LDAP_OPT_SIZELIMIT, &sizeLimit) == LDAP_OPT_SUCCESS &&
           ldap_set_option(ld, LDAP_OPT_CONNECT_CB, connection.callbacks()) == LDAP_OPT_SUCCESS;
}

// The distinct userCertificate;binary values under every base. A lost connection or the end of
// the time ends the search, as does any failure when the base was named (`named`); a context the
// server will not search for us (an empty base names several) does not, as long as one answers.
int searchBases(LDAP* ld, const std::vector<std::string>& bases, bool named, const std::string& filter,
                const Deadline& deadline, std::vector<std::string>& values) {
    char certAttr[] = "userCertificate;binary";
    char* attrs[] = {certAttr, nullptr};
    std::set<std::string> seen;
    int searched = 0;
    int lastRc = LDAP_SUCCESS;
    for (const auto& b : bases) {
        MessagePtr res;
        const int rc = search(ld, b, LDAP_SCOPE_SUBTREE, filter, attrs, deadline, res);
        if (rc == LDAP_SUCCESS) {
            ++searched;
            collectValues(ld, res.get(), seen, values);
            continue;
        }
        if (named || rc == LDAP_SERVER_DOWN || rc == LDAP_CONNECT_ERROR || rc == LDAP_TIMEOUT)
            return rc;
        lastRc = rc;
    }
    return searched == 0 ? lastRc : LDAP_SUCCESS;
}

// One certificate per value; an entry's value that is not a certificate is skipped.
void appendCertificates(const std::vector<std::string>& values, yx::OwnedCerts& found) {
    for (const auto& der : values) {
        auto cert = std::make_unique<CDigitalCertificate>(der.data(), static_cast<int>(der.size()),
                                                          CDigitalCertificate::DER);
        if (cert->getPCCERT())
            found.push_back(std::move(cert));
    }
}

} // namespace

int CLdapCert::getUserCertificates(const char* host, const char* name, const char* email,
                                   yx::OwnedCerts& found) {
    m_lastError.clear();
    const std::string filter = yx::directory::userFilter(name ? name : "", email ? email : "");
    if (filter.empty()) {
        m_lastError = "no search criteria";
        return kNoCriteria;
    }

    const std::string hostText = hostUrl(host);
    LDAPURLDesc* parsed = nullptr;
    if (hostText.empty() || ldap_url_parse(hostText.c_str(), &parsed) != LDAP_URL_SUCCESS) {
        m_lastError = "not an LDAP URL: " + hostText;
        return kBadHost;
    }
    UrlPtr url(parsed);
    const std::string scheme = url->lud_scheme ? url->lud_scheme : "";
    if ((scheme != "ldap" && scheme != "ldaps") || !url->lud_host || !*url->lud_host) {
        m_lastError = "not an ldap:// or ldaps:// URL with a host: " + hostText;
        return kBadHost;
    }
    const std::string base = url->lud_dn ? url->lud_dn : "";

    SigpipeGuard sigpipe;
    const Deadline deadline(m_timeouts.queryMs);
    ConnectionCut connection; // outlives the session, which calls it until it is closed
    LDAP* raw = nullptr;
    const std::string uri = serverUri(url.get());
    if (uri.empty() || ldap_initialize(&raw, uri.c_str()) != LDAP_SUCCESS || !raw) {
        m_lastError = "cannot set up a session for " + hostText;
        return kBadHost;
    }
    LdapPtr ld(raw);
    if (!setSessionOptions(ld.get(), m_timeouts, connection)) {
        m_lastError = "cannot set the session options";
        return kSearchFailed;
    }

    // The regular time-outs come first; the watchdog is for waits libldap does not bound.
    const Watchdog watchdog(connection, deadline.end() + std::chrono::milliseconds(300));
    const auto fail = [&](const char* step, int ldapRc) {
        if (connection.wasCut())
            ldapRc = LDAP_TIMEOUT;
        m_lastError = std::string(step) + " on " + hostText + ": " + ldap_err2string(ldapRc);
        return codeFor(ldapRc);
    };

    int rc = anonymousBind(ld.get(), deadline);
    if (rc != LDAP_SUCCESS)
        return fail("bind", rc);

    std::vector<std::string> bases;
    if (base.empty()) {
        rc = namingContexts(ld.get(), deadline, bases);
        if (rc != LDAP_SUCCESS)
            return fail("reading the naming contexts", rc);
        if (bases.empty())
            bases.emplace_back(); // the server names none: search from the root
    } else {
        bases.push_back(base);
    }

    std::vector<std::string> values;
    rc = searchBases(ld.get(), bases, !base.empty(), filter, deadline, values);
    if (rc != LDAP_SUCCESS)
        return fail("search", rc);

    appendCertificates(values, found);
    return kOk;
}
