#include "SlapdFixture.h"

#include <openssl/evp.h>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace yxtest {
namespace {

const char* const kSlapd = "/usr/sbin/slapd";
const char* const kSlapadd = "/usr/sbin/slapadd";
const char* const kSchemaDir = "/etc/ldap/schema";
const char* const kModuleDir = "/usr/lib/ldap";

template <class Data> std::string base64(const Data& data) {
    std::string out(4 * ((data.size() + 2) / 3) + 1, '\0');
    const int n =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                        reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
    out.resize(static_cast<size_t>(n));
    return out;
}

// LDIF lines with every value in base64, so any UTF-8 or binary value is taken as it is.
std::string ldifLine(const std::string& attr, const std::string& value) {
    return attr + ":: " + base64(value) + "\n";
}

std::string ldifFor(const std::string& suffix, const std::vector<DirectoryEntry>& entries) {
    // dc=hosta,dc=test -> dc: hosta
    const std::string dc = suffix.substr(3, suffix.find(',') - 3);
    std::string ldif = "dn: " + suffix + "\nobjectClass: dcObject\nobjectClass: organization\ndc: " + dc +
                       "\no: " + dc + "\n\n";
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        ldif += "dn: uid=p" + std::to_string(i) + "," + suffix + "\n";
        ldif += "objectClass: inetOrgPerson\nuid: p" + std::to_string(i) + "\n";
        ldif += ldifLine("cn", e.cn);
        ldif += ldifLine("sn", e.cn);
        if (!e.mail.empty())
            ldif += ldifLine("mail", e.mail);
        for (const auto& der : e.certificates)
            ldif += "userCertificate;binary:: " + base64(der) + "\n";
        ldif += "\n";
    }
    return ldif;
}

sockaddr_in loopback(int port = 0) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    return addr;
}

// Binds `fd` to a port the kernel picks on 127.0.0.1; that port, 0 when it failed.
int bindAnyPort(int fd) {
    sockaddr_in addr = loopback();
    socklen_t len = sizeof addr;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return 0;
    return ntohs(addr.sin_port);
}

bool canConnect(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in addr = loopback(port);
    const bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

std::string fileText(const std::string& path) {
    const Bytes b = readFile(path);
    return std::string(b.begin(), b.end());
}

} // namespace

Bytes junkCertificateValue() {
    // SEQUENCE { SEQUENCE { INTEGER 1, 5 x empty SEQUENCE }, empty SEQUENCE, BIT STRING '' }
    return {0x30, 0x14, 0x30, 0x0d, 0x02, 0x01, 0x01, 0x30, 0x00, 0x30, 0x00,
            0x30, 0x00, 0x30, 0x00, 0x30, 0x00, 0x30, 0x00, 0x03, 0x01, 0x00};
}

std::string SlapdFixture::unavailableReason() {
    for (const std::string path :
         {std::string(kSlapd), std::string(kSlapadd), std::string(kSchemaDir) + "/core.schema",
          std::string(kSchemaDir) + "/cosine.schema", std::string(kSchemaDir) + "/inetorgperson.schema"})
        if (!std::filesystem::exists(path))
            return path + " is missing (Debian packages slapd and ldap-utils)";
    return {};
}

SlapdFixture::~SlapdFixture() {
    stop();
}

std::string SlapdFixture::urlRoot() const {
    return "ldap://127.0.0.1:" + std::to_string(m_port) + "/";
}
std::string SlapdFixture::urlA() const {
    return urlRoot() + kSuffixA;
}
std::string SlapdFixture::urlB() const {
    return urlRoot() + kSuffixB;
}
std::string SlapdFixture::tlsUrlA() const {
    return "ldaps://127.0.0.1:" + std::to_string(m_tlsPort) + "/" + kSuffixA;
}

void SlapdFixture::enableTls(const std::string& certPem, const std::string& keyPem) {
    m_tlsCert = certPem;
    m_tlsKey = keyPem;
}

bool SlapdFixture::start(const std::vector<DirectoryEntry>& hostA, const std::vector<DirectoryEntry>& hostB,
                         std::string& error) {
    stop();
    const std::string dir = m_dir.path();
    std::string conf;
    for (const char* schema : {"core", "cosine", "inetorgperson"})
        conf += "include " + std::string(kSchemaDir) + "/" + schema + ".schema\n";
    conf += "pidfile " + dir + "/slapd.pid\nargsfile " + dir + "/slapd.args\n";
    if (std::filesystem::exists(std::string(kModuleDir) + "/back_mdb.so"))
        conf += "modulepath " + std::string(kModuleDir) + "\nmoduleload back_mdb\n";
    if (!m_tlsCert.empty()) {
        const std::string cert = writeFile(dir, "server.pem", m_tlsCert);
        const std::string key = writeFile(dir, "server.key", m_tlsKey);
        ::chmod(key.c_str(), 0600);
        conf += "TLSCertificateFile " + cert + "\nTLSCertificateKeyFile " + key + "\n";
    }
    // No access directives: everyone may read, as on a public certificate directory.
    for (const char* suffix : {kSuffixA, kSuffixB}) {
        const std::string db = dir + "/" + std::string(suffix).substr(3, 5);
        ::mkdir(db.c_str(), 0700);
        conf += "database mdb\nsuffix \"" + std::string(suffix) + "\"\nrootdn \"cn=admin," + suffix +
                "\"\ndirectory " + db + "\nmaxsize 16777216\n";
    }
    writeFile(dir, "slapd.conf", conf);
    if (!load(kSuffixA, hostA, error) || !load(kSuffixB, hostB, error))
        return false;
    // The free port may be taken between asking and listening: try a few.
    for (int attempt = 0; attempt < 5; ++attempt)
        if (launch(error))
            return true;
    return false;
}

bool SlapdFixture::load(const std::string& suffix, const std::vector<DirectoryEntry>& entries,
                        std::string& error) {
    const std::string ldif = writeFile(m_dir.path(), suffix.substr(3, 5) + ".ldif", ldifFor(suffix, entries));
    std::string out, err;
    const int rc = runCommandFull({kSlapadd, "-q", "-f", m_dir.file("slapd.conf"), "-b", suffix, "-l", ldif},
                                  &out, &err);
    if (rc != 0) {
        error = "slapadd " + suffix + " failed (" + std::to_string(rc) + "): " + out + err;
        return false;
    }
    return true;
}

bool SlapdFixture::launch(std::string& error) {
    m_port = closedPort();
    m_tlsPort = m_tlsCert.empty() ? 0 : closedPort();
    if (m_port == 0 || (!m_tlsCert.empty() && (m_tlsPort == 0 || m_tlsPort == m_port))) {
        error = "no free port";
        return false;
    }
    std::string listen = "ldap://127.0.0.1:" + std::to_string(m_port) + "/";
    if (m_tlsPort)
        listen += " ldaps://127.0.0.1:" + std::to_string(m_tlsPort) + "/";
    const std::string pidFile = m_dir.file("slapd.pid");
    ::unlink(pidFile.c_str());
    const std::string conf = m_dir.file("slapd.conf");
    const std::string log = m_dir.file("slapd.log");
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        error = "fork failed";
        return false;
    }
    if (pid == 0) {
        // Ends with the test process even if the test dies without stopping it.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(126);
        const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0) {
            ::dup2(fd, 1);
            ::dup2(fd, 2);
            ::close(fd);
        }
        // -d keeps slapd in the foreground, so this process is slapd itself.
        ::execl(kSlapd, kSlapd, "-d", "0", "-f", conf.c_str(), "-h", listen.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    m_pid = pid;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < until) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            m_pid = -1;
            error = "slapd ended at start-up: " + fileText(log);
            return false;
        }
        // slapd writes its pid file once its listeners are open: a connection before that may
        // reach another server that holds the port.
        if (fileText(pidFile).find(std::to_string(pid)) == 0 && canConnect(m_port) &&
            (m_tlsPort == 0 || canConnect(m_tlsPort)))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    stop();
    error = "slapd did not listen in time: " + fileText(log);
    return false;
}

void SlapdFixture::stop() {
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (::waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > until) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m_pid = -1;
}

SilentServer::SilentServer() {
    m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int port = bindAnyPort(m_fd);
    if (port && ::listen(m_fd, 16) == 0)
        m_port = port;
}

SilentServer::~SilentServer() {
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string SilentServer::url(const std::string& scheme) const {
    return scheme + "://127.0.0.1:" + std::to_string(m_port) + "/dc=silent,dc=test";
}

// A port the kernel has just handed out for 127.0.0.1 and released again: free to listen on.
int closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int port = bindAnyPort(fd);
    if (fd >= 0)
        ::close(fd);
    return port;
}

} // namespace yxtest
