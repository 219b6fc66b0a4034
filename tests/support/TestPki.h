// A test PKI made with OpenSSL at run time: a CA, certificates with chosen names, e-mail, key
// usage, CRL distribution points and validity, CRLs, and PFX files of every common kind.
#pragma once

#include "OpenSslHolders.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace yxtest {

using Bytes = std::vector<unsigned char>;

// RSA keys are slow to make; tests draw them from a small per-process pool.
yx::EvpPkeyPtr pooledKey(int index = 0, int bits = 2048);

struct CertProfile {
    std::string cn = "测试用户"; // UTF-8; empty = no CN
    std::string email;           // emailAddress in the subject and rfc822Name in subjectAltName
    std::string org = "岚川测试";
    int keyUsage = -1;                // KU_* bits (KU_DIGITAL_SIGNATURE ...); -1 = no extension
    std::vector<std::string> crlUrls; // CRL distribution points
    long notBeforeOffset = -86400;    // seconds from now
    long notAfterOffset = 365L * 86400;
    bool isCa = false;
    int keyIndex = 1; // pooled key to use
    int keyBits = 2048;
    std::string nameEmail;      // emailAddress in the subject only
    std::string altEmail;       // rfc822Name in subjectAltName only
    std::string issuerAltEmail; // rfc822Name in issuerAltName
    // Further subject attributes after the standard ones: field name ("OU") or dotted OID, UTF-8
    // value; a field name starting with '+' joins the previous attribute's relative name.
    std::vector<std::pair<std::string, std::string>> extraSubject;
    bool ecKey = false; // a fresh P-256 key instead of RSA
};

struct Issued {
    yx::X509Ptr cert;
    yx::EvpPkeyPtr key;
    Bytes der() const;
    std::string pem() const;
    std::string keyPem() const; // the private key, unencrypted PKCS#8 PEM
};

class TestCa {
public:
    explicit TestCa(const std::string& cn = "钥匣测试根CA", int keyIndex = 0);
    Issued issue(const CertProfile& profile);
    X509* cert() const { return m_cert.get(); }
    EVP_PKEY* key() const { return m_key.get(); }
    Bytes der() const;
    // A CRL signed by this CA, listing `revoked`; times are offsets in seconds from now.
    Bytes crlDer(const std::vector<X509*>& revoked, long lastUpdateOffset = -3600,
                 long nextUpdateOffset = 7 * 86400) const;
    // A CRL with this CA's name signed by another key (a forgery).
    Bytes forgedCrlDer(EVP_PKEY* wrongKey) const;

private:
    Bytes makeCrl(const std::vector<X509*>& revoked, long lastUpdateOffset, long nextUpdateOffset,
                  EVP_PKEY* signer) const;
    yx::X509Ptr m_cert;
    yx::EvpPkeyPtr m_key;
    long m_nextSerial = 1000;
};

enum class PfxKind {
    Legacy,    // RC2-40 certificates, 3DES key, SHA-1 MAC (needs the legacy provider)
    TripleDes, // 3DES for both, SHA-1 MAC
    Modern,    // AES-256-CBC with PBKDF2, SHA-256 MAC (OpenSSL 3's default)
};
Bytes makePfx(EVP_PKEY* key, X509* cert, const std::vector<X509*>& chain, const std::string& password,
              PfxKind kind, const std::optional<std::string>& friendlyName = std::nullopt);

// The private key as unencrypted PKCS#8 DER, as the store backends keep it.
Bytes pkcs8Der(EVP_PKEY* key);
// DER and PEM encodings of OpenSSL objects.
Bytes derOf(X509* cert);
Bytes derOf(X509_CRL* crl);
Bytes derOf(PKCS12* p12);
std::string pemOf(X509* cert);
std::string pemOf(X509_CRL* crl);
// Puts `ca` into an OpenSSL hashed trust folder ("<name hash>.<n>").
void addToTrustDir(const std::string& dir, X509* ca);

// Files and folders.
std::string writeFile(const std::string& dir, const std::string& name, const Bytes& bytes);
std::string writeFile(const std::string& dir, const std::string& name, const std::string& text);
Bytes readFile(const std::string& path);

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Sets (or, given nullopt, removes) an environment variable for the object's lifetime; the time
// zone is read again both ways, for the tests that set TZ.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// Points YAOXIA_HOME at a fresh temporary folder for the object's lifetime.
class ScopedDataRoot : public TempDir {
    ScopedEnv m_env{"YAOXIA_HOME", path()};
};

// Runs body(0) .. body(n - 1) in n child processes that start together; true when every child
// ran and its body returned true.
bool inChildProcesses(int n, const std::function<bool(int)>& body);

// Runs a command by argument vector; returns exit status and captures stdout.
int runCommand(const std::vector<std::string>& argv, std::string* out = nullptr,
               const std::string& stdinText = "");
// As runCommand, capturing standard error too.
int runCommandFull(const std::vector<std::string>& argv, std::string* out, std::string* err,
                   const std::string& stdinText = "");

} // namespace yxtest
