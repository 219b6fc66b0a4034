// A real OpenLDAP server for the directory tests: slapd started from a generated slapd.conf in a
// temporary folder, listening on a free 127.0.0.1 port, with two mdb databases (suffixes
// dc=hosta,dc=test and dc=hostb,dc=test) that stand for directory hosts A and B. Nothing
// outside the temporary folder is configured or touched. Also: a port that accepts connections
// and never answers, and one that refuses them.
#pragma once

#include "TestPki.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace yxtest {

// One person's entry: inetOrgPerson with cn, sn (= cn), optional mail and the
// userCertificate;binary values in order.
struct DirectoryEntry {
    std::string cn;
    std::string mail;
    std::vector<Bytes> certificates;
};

// A value with the outline slapd checks for a certificate (the nested SEQUENCEs, an INTEGER and
// a BIT STRING) but empty parts, so no certificate parser accepts it.
Bytes junkCertificateValue();

class SlapdFixture {
public:
    static constexpr const char* kSuffixA = "dc=hosta,dc=test";
    static constexpr const char* kSuffixB = "dc=hostb,dc=test";

    // Empty when slapd can run here; else why not (the tests skip with it).
    static std::string unavailableReason();

    SlapdFixture() = default;
    ~SlapdFixture();
    SlapdFixture(const SlapdFixture&) = delete;
    SlapdFixture& operator=(const SlapdFixture&) = delete;

    // Also listen for ldaps:// on a second port with this server certificate and key (PEM).
    // Call before start().
    void enableTls(const std::string& certPem, const std::string& keyPem);

    // Loads the entries under the two suffixes (slapadd) and starts slapd; false with `error`
    // (slapd's own output included) when it could not.
    bool start(const std::vector<DirectoryEntry>& hostA, const std::vector<DirectoryEntry>& hostB,
               std::string& error);
    // Stops slapd (SIGTERM, then SIGKILL after a few seconds) and waits for it. Idempotent.
    void stop();
    bool running() const { return m_pid > 0; }

    int port() const { return m_port; }
    std::string urlA() const;    // ldap://127.0.0.1:PORT/dc=hosta,dc=test
    std::string urlB() const;    // ldap://127.0.0.1:PORT/dc=hostb,dc=test
    std::string urlRoot() const; // ldap://127.0.0.1:PORT/ : no base, every naming context
    int tlsPort() const { return m_tlsPort; }
    std::string tlsUrlA() const; // ldaps://127.0.0.1:TLSPORT/dc=hosta,dc=test

private:
    bool load(const std::string& suffix, const std::vector<DirectoryEntry>& entries, std::string& error);
    bool launch(std::string& error);

    TempDir m_dir;
    pid_t m_pid = -1;
    int m_port = 0;
    int m_tlsPort = 0;
    std::string m_tlsCert, m_tlsKey;
};

// Listens on 127.0.0.1 and never accepts or reads: the kernel completes the connections, and
// whatever the client sends waits for an answer that never comes.
class SilentServer {
public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;
    int port() const { return m_port; }
    std::string url(const std::string& scheme = "ldap") const;

private:
    int m_fd = -1;
    int m_port = 0;
};

// A 127.0.0.1 port nothing listens on (connections are refused).
int closedPort();

} // namespace yxtest
