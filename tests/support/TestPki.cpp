#include "TestPki.h"

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <openssl/ec.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <stdexcept>
#include <sys/wait.h>
#include <type_traits>
#include <unistd.h>

namespace yxtest {
namespace {

void check(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(std::string("test PKI: ") + what);
}

// `set` -1 joins the previous attribute's relative name.
void addNameEntry(X509_NAME* name, const char* field, const std::string& value, int set = 0) {
    if (value.empty())
        return;
    check(X509_NAME_add_entry_by_txt(name, field, MBSTRING_UTF8,
                                     reinterpret_cast<const unsigned char*>(value.data()),
                                     static_cast<int>(value.size()), -1, set) == 1,
          "name entry");
}

void addExt(X509* cert, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    yx::X509ExtPtr ext(X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str()));
    check(ext != nullptr, "extension");
    check(X509_add_ext(cert, ext.get(), -1) == 1, "add extension");
}

// A version 3 certificate of `key` named C=CN, O=org, CN=cn, valid between the two offsets from now.
yx::X509Ptr newCert(long serial, const std::string& org, const std::string& cn, long from, long to,
                    EVP_PKEY* key) {
    yx::X509Ptr cert(X509_new());
    X509* c = cert.get();
    X509_set_version(c, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(c), serial);
    addNameEntry(X509_get_subject_name(c), "C", "CN");
    addNameEntry(X509_get_subject_name(c), "O", org);
    addNameEntry(X509_get_subject_name(c), "CN", cn);
    X509_gmtime_adj(X509_getm_notBefore(c), from);
    X509_gmtime_adj(X509_getm_notAfter(c), to);
    X509_set_pubkey(c, key);
    return cert;
}

std::string kuText(int bits) {
    static const std::pair<int, const char*> names[] = {{KU_DIGITAL_SIGNATURE, "digitalSignature"},
                                                        {KU_NON_REPUDIATION, "nonRepudiation"},
                                                        {KU_KEY_ENCIPHERMENT, "keyEncipherment"},
                                                        {KU_DATA_ENCIPHERMENT, "dataEncipherment"},
                                                        {KU_KEY_AGREEMENT, "keyAgreement"},
                                                        {KU_KEY_CERT_SIGN, "keyCertSign"},
                                                        {KU_CRL_SIGN, "cRLSign"}};
    std::string out = "critical";
    for (auto& [bit, name] : names)
        if (bits & bit)
            out += std::string(",") + name;
    return out;
}

template <class T>
Bytes encode(int (*i2d)(const T*, unsigned char**), const std::type_identity_t<T>* object) {
    unsigned char* p = nullptr;
    const int n = i2d(object, &p);
    check(n > 0, "DER encoding");
    Bytes out(p, p + n);
    OPENSSL_free(p);
    return out;
}

template <class T> std::string memText(int (*write)(BIO*, T*), std::type_identity_t<T>* object) {
    yx::BioPtr bio(BIO_new(BIO_s_mem()));
    write(bio.get(), object);
    char* data = nullptr;
    const long n = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<size_t>(n));
}

int writeKeyPem(BIO* bio, EVP_PKEY* key) {
    return PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
}

} // namespace

Bytes derOf(X509* cert) {
    return encode(i2d_X509, cert);
}

Bytes derOf(X509_CRL* crl) {
    return encode(i2d_X509_CRL, crl);
}

Bytes derOf(PKCS12* p12) {
    return encode(i2d_PKCS12, p12);
}

std::string pemOf(X509* cert) {
    return memText(PEM_write_bio_X509, cert);
}

std::string pemOf(X509_CRL* crl) {
    return memText(PEM_write_bio_X509_CRL, crl);
}

void addToTrustDir(const std::string& dir, X509* ca) {
    char name[32];
    for (int n = 0;; ++n) {
        std::snprintf(name, sizeof name, "%08lx.%d", X509_subject_name_hash(ca), n);
        if (!std::filesystem::exists(dir + "/" + name))
            break;
    }
    writeFile(dir, name, pemOf(ca));
}

yx::EvpPkeyPtr pooledKey(int index, int bits) {
    static std::mutex mu;
    static std::map<std::pair<int, int>, yx::EvpPkeyPtr> pool;
    std::lock_guard lock(mu);
    auto& slot = pool[{index, bits}];
    if (!slot)
        slot.reset(EVP_RSA_gen(static_cast<unsigned>(bits)));
    check(slot != nullptr, "RSA key");
    EVP_PKEY_up_ref(slot.get());
    return yx::EvpPkeyPtr(slot.get());
}

Bytes Issued::der() const {
    return derOf(cert.get());
}

std::string Issued::pem() const {
    return pemOf(cert.get());
}

std::string Issued::keyPem() const {
    return memText(writeKeyPem, key.get());
}

TestCa::TestCa(const std::string& cn, int keyIndex) {
    m_key = pooledKey(keyIndex);
    m_cert = newCert(1, "岚川测试", cn, -10L * 86400, 3650L * 86400, m_key.get());
    X509* c = m_cert.get();
    X509_set_issuer_name(c, X509_get_subject_name(c));
    addExt(c, c, NID_basic_constraints, "critical,CA:TRUE");
    addExt(c, c, NID_key_usage, "critical,keyCertSign,cRLSign");
    addExt(c, c, NID_subject_key_identifier, "hash");
    check(X509_sign(c, m_key.get(), EVP_sha256()) > 0, "CA sign");
}

Bytes TestCa::der() const {
    return derOf(m_cert.get());
}

Issued TestCa::issue(const CertProfile& profile) {
    Issued out;
    out.key =
        profile.ecKey ? yx::EvpPkeyPtr(EVP_EC_gen("P-256")) : pooledKey(profile.keyIndex, profile.keyBits);
    out.cert = newCert(m_nextSerial++, profile.org, profile.cn, profile.notBeforeOffset,
                       profile.notAfterOffset, out.key.get());
    X509* c = out.cert.get();
    X509_NAME* name = X509_get_subject_name(c);
    addNameEntry(name, "emailAddress", profile.email);
    addNameEntry(name, "emailAddress", profile.nameEmail);
    for (const auto& [field, value] : profile.extraSubject) {
        const bool join = !field.empty() && field[0] == '+';
        addNameEntry(name, field.c_str() + (join ? 1 : 0), value, join ? -1 : 0);
    }
    X509_set_issuer_name(c, X509_get_subject_name(m_cert.get()));
    if (profile.isCa)
        addExt(c, m_cert.get(), NID_basic_constraints, "critical,CA:TRUE");
    if (profile.keyUsage >= 0)
        addExt(c, m_cert.get(), NID_key_usage, kuText(profile.keyUsage));
    if (!profile.email.empty())
        addExt(c, m_cert.get(), NID_subject_alt_name, "email:" + profile.email);
    else if (!profile.altEmail.empty())
        addExt(c, m_cert.get(), NID_subject_alt_name, "email:" + profile.altEmail);
    if (!profile.issuerAltEmail.empty())
        addExt(c, m_cert.get(), NID_issuer_alt_name, "email:" + profile.issuerAltEmail);
    if (!profile.crlUrls.empty()) {
        std::string v;
        for (const auto& u : profile.crlUrls)
            v += (v.empty() ? "URI:" : ",URI:") + u;
        addExt(c, m_cert.get(), NID_crl_distribution_points, v);
    }
    addExt(c, m_cert.get(), NID_authority_key_identifier, "keyid:always");
    check(X509_sign(c, m_key.get(), EVP_sha256()) > 0, "sign");
    return out;
}

Bytes TestCa::crlDer(const std::vector<X509*>& revoked, long lastUpdateOffset, long nextUpdateOffset) const {
    return makeCrl(revoked, lastUpdateOffset, nextUpdateOffset, m_key.get());
}

Bytes TestCa::forgedCrlDer(EVP_PKEY* wrongKey) const {
    return makeCrl({}, -3600, 7 * 86400, wrongKey);
}

Bytes TestCa::makeCrl(const std::vector<X509*>& revoked, long lastUpdateOffset, long nextUpdateOffset,
                      EVP_PKEY* signer) const {
    yx::X509CrlPtr crl(X509_CRL_new());
    X509_CRL_set_version(crl.get(), 1);
    X509_CRL_set_issuer_name(crl.get(), X509_get_subject_name(m_cert.get()));
    yx::Asn1TimePtr last(X509_gmtime_adj(nullptr, lastUpdateOffset));
    yx::Asn1TimePtr next(X509_gmtime_adj(nullptr, nextUpdateOffset));
    X509_CRL_set1_lastUpdate(crl.get(), last.get());
    X509_CRL_set1_nextUpdate(crl.get(), next.get());
    for (X509* r : revoked) {
        X509_REVOKED* entry = X509_REVOKED_new();
        X509_REVOKED_set_serialNumber(entry, X509_get_serialNumber(r));
        yx::Asn1TimePtr when(X509_gmtime_adj(nullptr, -600));
        X509_REVOKED_set_revocationDate(entry, when.get());
        X509_CRL_add0_revoked(crl.get(), entry);
    }
    X509_CRL_sort(crl.get());
    check(X509_CRL_sign(crl.get(), signer, EVP_sha256()) > 0, "CRL sign");
    return derOf(crl.get());
}

Bytes pkcs8Der(EVP_PKEY* key) {
    std::unique_ptr<PKCS8_PRIV_KEY_INFO, yx::OsslDeleter<PKCS8_PRIV_KEY_INFO_free>> p8(EVP_PKEY2PKCS8(key));
    return encode(i2d_PKCS8_PRIV_KEY_INFO, p8.get());
}

Bytes makePfx(EVP_PKEY* key, X509* cert, const std::vector<X509*>& chain, const std::string& password,
              PfxKind kind, const std::optional<std::string>& friendlyName) {
    yx::X509StackPtr ca(sk_X509_new_null());
    for (X509* c : chain) {
        X509_up_ref(c);
        sk_X509_push(ca.get(), c);
    }
    const int nidKey = kind == PfxKind::Modern ? NID_aes_256_cbc : NID_pbe_WithSHA1And3_Key_TripleDES_CBC;
    const int nidCert = kind == PfxKind::Legacy ? NID_pbe_WithSHA1And40BitRC2_CBC : nidKey;
    // Legacy kinds get their MAC set explicitly below (SHA-1); modern keeps the SHA-256 default.
    const int macIter = kind == PfxKind::Modern ? PKCS12_DEFAULT_ITER : -1;
    yx::Pkcs12Ptr p12(PKCS12_create(password.c_str(), friendlyName ? friendlyName->c_str() : nullptr, key,
                                    cert, ca.get(), nidKey, nidCert, PKCS12_DEFAULT_ITER, macIter, 0));
    check(p12 != nullptr, "PKCS12_create (is the legacy provider loaded?)");
    if (kind != PfxKind::Modern)
        check(PKCS12_set_mac(p12.get(), password.c_str(), -1, nullptr, 0, 2048, EVP_sha1()) == 1, "MAC");
    return derOf(p12.get());
}

std::string writeFile(const std::string& dir, const std::string& name, const Bytes& bytes) {
    const std::string path = dir + "/" + name;
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    check(f.good(), "write file");
    return path;
}

std::string writeFile(const std::string& dir, const std::string& name, const std::string& text) {
    return writeFile(dir, name, Bytes(text.begin(), text.end()));
}

Bytes readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "yaoxia-test-XXXXXX").string();
    check(::mkdtemp(tmpl.data()) != nullptr, "mkdtemp");
    m_path = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

ScopedEnv::ScopedEnv(const char* name, const std::optional<std::string>& value) : m_name(name) {
    if (const char* old = std::getenv(name))
        m_old = old;
    value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    ::tzset();
}

ScopedEnv::~ScopedEnv() {
    m_old ? ::setenv(m_name.c_str(), m_old->c_str(), 1) : ::unsetenv(m_name.c_str());
    ::tzset();
}

bool inChildProcesses(int n, const std::function<bool(int)>& body) {
    int go[2];
    check(::pipe(go) == 0, "pipe");
    std::vector<pid_t> children;
    for (int i = 0; i < n; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(go[1]);
            char c;
            ::_exit(::read(go[0], &c, 1) == 0 && body(i) ? 0 : 1); // go: the parent closed its end
        }
        if (pid > 0)
            children.push_back(pid);
    }
    ::close(go[0]);
    ::close(go[1]);
    bool ok = children.size() == static_cast<size_t>(n);
    for (pid_t pid : children) {
        int status = 0;
        ok = ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
    }
    return ok;
}

int runCommand(const std::vector<std::string>& argv, std::string* out, const std::string& stdinText) {
    return runCommandFull(argv, out, nullptr, stdinText);
}

int runCommandFull(const std::vector<std::string>& argv, std::string* out, std::string* err,
                   const std::string& stdinText) {
    // stderr goes to a temporary file so a chatty child cannot dead-lock on a full pipe; a child
    // that exits without reading its input must not kill the test with SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);
    TempDir tmp;
    const std::string errPath = tmp.file("stderr");
    int inPipe[2], outPipe[2];
    check(::pipe(inPipe) == 0 && ::pipe(outPipe) == 0, "pipe");
    const pid_t pid = ::fork();
    check(pid >= 0, "fork");
    if (pid == 0) {
        ::dup2(inPipe[0], 0);
        ::dup2(outPipe[1], 1);
        if (err) {
            FILE* f = std::fopen(errPath.c_str(), "w");
            if (f)
                ::dup2(fileno(f), 2);
        }
        ::close(inPipe[1]);
        ::close(outPipe[0]);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ::close(inPipe[0]);
    ::close(outPipe[1]);
    [[maybe_unused]] const ssize_t w =
        stdinText.empty() ? 0 : ::write(inPipe[1], stdinText.data(), stdinText.size());
    ::close(inPipe[1]);
    std::string captured;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(outPipe[0], buf, sizeof buf)) > 0)
        captured.append(buf, static_cast<size_t>(n));
    ::close(outPipe[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (out)
        *out = captured;
    if (err) {
        const Bytes e = readFile(errPath);
        err->assign(e.begin(), e.end());
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace yxtest
