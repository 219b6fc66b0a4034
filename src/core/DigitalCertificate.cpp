#include "DigitalCertificate.h"

#include "Base64.h"
#include "CertText.h"
#include "DataPaths.h"
#include "DerBytes.h"
#include "ResultCodes.h"
#include "Revocation.h"
#include "SafeFile.h"
#include "UserPrompt.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <optional>
#include <unistd.h>

// The certificate object's codes are the shared ones (ResultCodes.h).
static_assert(CDigitalCertificate::kUnknownKey == yx::rc::kUnknownKey &&
              CDigitalCertificate::kCannotOpenFile == yx::rc::kCannotOpenFile &&
              CDigitalCertificate::kPlatformError == yx::rc::kPlatformError &&
              CDigitalCertificate::kRevoked == yx::rc::kRevoked &&
              CDigitalCertificate::kRevocationOffline == yx::rc::kRevocationOffline &&
              CDigitalCertificate::kRevocationError == yx::rc::kRevocationError &&
              CDigitalCertificate::kNoRevocationCheck == yx::rc::kNoRevocationCheck);

namespace {

constexpr const char* kLogFile = "DigitalCertificate";
constexpr size_t kMaxNameBytes = 1023;
constexpr size_t kMaxProviderBytes = 2047;
constexpr int kWorkArea = 4096; // Base64 passes through an area of this size

// CryptoAPI error codes written to the log for the matching failures.
constexpr unsigned kCryptERevoked = 0x80092010;
constexpr unsigned kCryptENoRevocationCheck = 0x80092012;
constexpr unsigned kCryptERevocationOffline = 0x80092013;
constexpr unsigned kEFail = 0x80004005;

const char kPemHead[] = "-----BEGIN CERTIFICATE-----\n";
const char kPemTail[] = "\n-----END CERTIFICATE-----";

// The error code a failed OpenSSL call left behind (E_FAIL when it left none).
unsigned lastError() {
    const unsigned long e = ERR_peek_last_error();
    ERR_clear_error();
    return e ? static_cast<unsigned>(e) : kEFail;
}

bool sameKey(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return *a == *b;
}

std::mutex g_viewerMutex;
std::optional<std::vector<std::string>> g_viewer; // set by setViewerCommand

std::vector<std::string> defaultViewer() {
    if (const char* env = std::getenv("YAOXIA_VIEWER"); env && *env)
        return {env};
    const std::string beside = yx::paths::executableDir() + "yaoxia-viewer";
    if (::access(beside.c_str(), X_OK) == 0 && yx::isRegularFile(beside))
        return {beside};
    return {"yaoxia-viewer"};
}

} // namespace

#define CERT_LOG(...) m_log.Log(SEC_LOG_ERROR, __LINE__, kLogFile, __VA_ARGS__)

CDigitalCertificate::CDigitalCertificate(const yx::CertContextPtr& context) : m_ctx(context) {
    m_log.SetLogLevel(SEC_LOG_DEBUG);
    if (m_ctx && !m_ctx->x509)
        m_ctx.reset();
}

CDigitalCertificate::CDigitalCertificate(const char* data, int length, CERT_ENCODING encoding) {
    if (!data)
        return;
    if (encoding == DER) {
        if (length > 0)
            m_ctx = yx::CertContext::fromDer(reinterpret_cast<const unsigned char*>(data),
                                             static_cast<size_t>(length));
    } else if (encoding == BASE64) {
        unsigned char work[kWorkArea] = {};
        int decoded = kWorkArea;
        if (base64decoding(data, work, &decoded) == 0 && decoded > 0)
            m_ctx = yx::CertContext::fromDer(work, static_cast<size_t>(decoded));
        OPENSSL_cleanse(work, sizeof work);
    }
    // PEM and anything else: no certificate.
}

CDigitalCertificate::~CDigitalCertificate() = default;

int CDigitalCertificate::GetCertInfo(const char* key, std::string& value) {
    static const char* const keys[] = {"Version",   "IssuerName",    "SubjectName", "SerialNumber",
                                       "CSP",       "ValidFromDate", "ValidToDate", "SubjectEmail",
                                       "SubjectCN", "IssuerEmail",   "IssuerCN",    "ThumbPrint"};
    int which = -1;
    for (int i = 0; key && i < static_cast<int>(std::size(keys)); ++i)
        if (sameKey(key, keys[i])) {
            which = i;
            break;
        }
    if (which < 0)
        return kUnknownKey;
    if (!m_ctx)
        return kPlatformError; // no certificate: nothing to read

    X509* x = m_ctx->x509.get();
    std::string text;
    switch (which) {
    case 0: // Version
        // Appended, not "V" + number: that operator+ makes GCC 12 warn falsely (-Wrestrict, GCC bug 105651).
        text = "V";
        text += std::to_string(static_cast<long long>(X509_get_version(x)) + 1);
        break;
    case 1: // IssuerName
    case 2: // SubjectName
        text = yx::x500NameText(which == 1 ? X509_get_issuer_name(x) : X509_get_subject_name(x));
        yx::cutUtf8(text, kMaxNameBytes);
        break;
    case 3: { // SerialNumber
        std::string content;
        if (!yx::serialContentOctets(m_ctx->der.data(), m_ctx->der.size(), x, content))
            return kPlatformError;
        text = yx::serialNumberText(reinterpret_cast<const unsigned char*>(content.data()), content.size());
        break;
    }
    case 4: // CSP
        if (m_ctx->providerName.empty())
            return kOk;
        text = m_ctx->providerName;
        yx::cutUtf8(text, kMaxProviderBytes);
        break;
    case 5: // ValidFromDate
    case 6: // ValidToDate
        if (!yx::asn1TimeLocalText(which == 5 ? X509_get0_notBefore(x) : X509_get0_notAfter(x), text))
            return kPlatformError;
        break;
    case 7:  // SubjectEmail
    case 8:  // SubjectCN
    case 9:  // IssuerEmail
    case 10: // IssuerCN
        return nameText(which >= 9, which == 7 || which == 9, value);
    case 11: { // ThumbPrint
        unsigned char sha1[EVP_MAX_MD_SIZE];
        unsigned int n = 0;
        if (EVP_Digest(m_ctx->der.data(), m_ctx->der.size(), sha1, &n, EVP_sha1(), nullptr) != 1) {
            CERT_LOG("CryptHashCertificate Error: 0x%x", lastError());
            return kPlatformError;
        }
        text = yx::thumbText(sha1, static_cast<int>(n));
        break;
    }
    default:
        return kUnknownKey;
    }
    value = std::move(text);
    return kOk;
}

int CDigitalCertificate::nameText(bool issuer, bool email, std::string& out) {
    if (!m_ctx) {
        CERT_LOG("CertGetNameString Error: 0x%x", kEFail);
        return kPlatformError;
    }
    std::string text = email ? yx::emailNameText(m_ctx->x509.get(), issuer)
                             : yx::simpleDisplayNameText(m_ctx->x509.get(), issuer);
    yx::cutUtf8(text, kMaxNameBytes);
    out = std::move(text);
    return kOk;
}

int CDigitalCertificate::getDisplayName(std::string& v) {
    return nameText(false, false, v);
}

int CDigitalCertificate::getSignatureAlgorithm(std::string& v) {
    if (!m_ctx)
        return kPlatformError;
    const X509_ALGOR* alg = X509_get0_tbs_sigalg(m_ctx->x509.get());
    const ASN1_OBJECT* obj = nullptr;
    X509_ALGOR_get0(&obj, nullptr, nullptr, alg);
    if (!obj)
        return kPlatformError;
    const int n = OBJ_obj2txt(nullptr, 0, obj, 1);
    if (n <= 0)
        return kPlatformError;
    std::string oid(static_cast<size_t>(n) + 1, '\0');
    OBJ_obj2txt(oid.data(), n + 1, obj, 1);
    oid.resize(static_cast<size_t>(n));
    return ConvAlgorithmToStr(oid.c_str(), v);
}

int CDigitalCertificate::getThumbPrint(CBBuffer* hash) {
    if (!m_ctx || !hash) {
        CERT_LOG("CryptHashCertificate Error: 0x%x", kEFail);
        return kPlatformError;
    }
    unsigned char sha1[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    if (EVP_Digest(m_ctx->der.data(), m_ctx->der.size(), sha1, &n, EVP_sha1(), nullptr) != 1) {
        CERT_LOG("CryptHashCertificate Error: 0x%x", lastError());
        return kPlatformError;
    }
    hash->AttachBuffer(reinterpret_cast<const char*>(sha1), static_cast<int>(n));
    return kOk;
}

int CDigitalCertificate::getFriendlyName(std::string& name) {
    if (!m_ctx) {
        CERT_LOG("CertGetCertificateContextProperty Error: 0x%x", kEFail);
        return kPlatformError;
    }
    if (!m_ctx->friendlyName || m_ctx->friendlyName->empty())
        return kOk; // absent (or empty): nothing to report
    const std::string& text = *m_ctx->friendlyName;
    // Sizes as the property would have them: UTF-16 with its NUL, and the converted text with its NUL.
    size_t units = 1;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            units += c >= 0xF0 ? 2 : 1;
    m_log.Log(SEC_LOG_DEBUG, __LINE__, kLogFile, "pcbData=%d", static_cast<int>(2 * units));
    m_log.Log(SEC_LOG_DEBUG, __LINE__, kLogFile, "nConvertedLen=%d", static_cast<int>(text.size() + 1));
    name = text;
    return kOk;
}

int CDigitalCertificate::setFriendlyName(std::string& name) {
    if (!m_ctx) {
        CERT_LOG("CertSetCertificateContextProperty Error: 0x%x", kEFail);
        return kPlatformError;
    }
    const std::optional<std::string> previous = m_ctx->friendlyName;
    if (name.empty())
        m_ctx->friendlyName.reset();
    else
        m_ctx->friendlyName = name;
    // The store that holds the entry keeps the change at once.
    if (auto store = m_ctx->store.lock()) {
        if (!store->saveProperties(*m_ctx)) {
            m_ctx->friendlyName = previous;
            CERT_LOG("CertSetCertificateContextProperty Error: 0x%x", kEFail);
            return kPlatformError;
        }
    }
    return kOk;
}

int CDigitalCertificate::ConvAlgorithmToStr(const char* oid, std::string& name) {
    if (!oid)
        return kOk;
    if (std::strcmp(oid, "1.2.840.113549.1.1.5") == 0)
        name = "sha1RSA";
    else if (std::strcmp(oid, "1.2.840.113549.1.1.4") == 0)
        name = "md5RSA";
    else if (std::strcmp(oid, "1.2.840.113549") == 0)
        name = "RSA";
    else
        name = oid;
    return kOk;
}

int CDigitalCertificate::RevocationStatus(yx::RevocationResult outcome, std::string& status,
                                          unsigned& errorCode) {
    switch (outcome) {
    case yx::RevocationResult::Good:
        status = "有效";
        errorCode = 0;
        return kOk;
    case yx::RevocationResult::Revoked:
        status = "已吊销";
        errorCode = kCryptERevoked;
        return kRevoked;
    case yx::RevocationResult::Offline:
        status = "未知";
        errorCode = kCryptERevocationOffline;
        return kRevocationOffline;
    case yx::RevocationResult::NoCheck:
        status = "无CRL";
        errorCode = kCryptENoRevocationCheck;
        return kNoRevocationCheck;
    case yx::RevocationResult::Error:
        break;
    }
    status = "错误";
    errorCode = kEFail;
    return kRevocationError;
}

int CDigitalCertificate::CRLCheck(std::string& status, bool online) {
    yx::RevocationResult outcome = yx::RevocationResult::Error;
    if (m_ctx) {
        try {
            outcome = yx::checkRevocation(*m_ctx, online);
        } catch (...) {
            outcome = yx::RevocationResult::Error;
        }
    }
    unsigned code = 0;
    const int rc = RevocationStatus(outcome, status, code);
    if (rc != kOk)
        CERT_LOG("CertVerifyRevocation Error: 0x%x", code);
    return rc;
}

int CDigitalCertificate::SysTimeToStr(const struct tm& localTime, std::string& text) {
    text = yx::localTimeText(localTime);
    return kOk;
}

int CDigitalCertificate::isLocalTimeValid() {
    const time_t now = ::time(nullptr);
    struct tm local {};
    if (!::localtime_r(&now, &local))
        return 0;
    std::string current, from, to;
    SysTimeToStr(local, current);
    if (getValidFromDate(from) != kOk || getValidToDate(to) != kOk)
        return 0;
    // Fixed-width text: byte order is time order.
    return (current.compare(from) > 0 && to.compare(current) > 0) ? 1 : 0;
}

namespace {

// -1: no readable key-usage extension (usable for everything); else the bit.
int keyUsageBit(const yx::CertContextPtr& ctx, int bit) {
    if (!ctx)
        return -1;
    X509* x = ctx->x509.get();
    const int idx = X509_get_ext_by_NID(x, NID_key_usage, -1);
    if (idx < 0)
        return -1;
    yx::Asn1BitStringPtr bits(static_cast<ASN1_BIT_STRING*>(X509V3_EXT_d2i(X509_get_ext(x, idx))));
    if (!bits)
        return -1;
    return ASN1_BIT_STRING_get_bit(bits.get(), bit) ? 1 : 0;
}

} // namespace

int CDigitalCertificate::isCryptUse() {
    const int b = keyUsageBit(m_ctx, 2); // keyEncipherment (0x20 of the first byte)
    return b < 0 ? 1 : b;
}

int CDigitalCertificate::isSignUse() {
    const int b = keyUsageBit(m_ctx, 0); // digitalSignature (0x80 of the first byte)
    return b < 0 ? 1 : b;
}

int CDigitalCertificate::GetEncodedCert(CERT_ENCODING encoding, char* out, int& length) {
    if (!m_ctx || !out)
        return 1;
    const std::vector<unsigned char>& der = m_ctx->der;
    if (encoding == DER) {
        if (static_cast<long long>(length) >= static_cast<long long>(der.size())) {
            std::memcpy(out, der.data(), der.size());
            length = static_cast<int>(der.size());
        }
        return 1;
    }
    if (encoding != BASE64 && encoding != PEM)
        return 1;
    char work[kWorkArea] = {};
    int textLength = kWorkArea;
    // Certificates whose text does not fit the work area are refused: nothing is written.
    if (base64encoding(der.data(), static_cast<int>(der.size()), work, &textLength) != 0)
        return 1;
    if (encoding == BASE64) {
        if (length > textLength) {
            std::memcpy(out, work, static_cast<size_t>(textLength) + 1);
            length = textLength;
        }
        return 1;
    }
    const int head = static_cast<int>(sizeof kPemHead - 1), tail = static_cast<int>(sizeof kPemTail - 1);
    if (length > head + textLength + tail) {
        char* p = out;
        std::memcpy(p, kPemHead, static_cast<size_t>(head));
        p += head;
        std::memcpy(p, work, static_cast<size_t>(textLength));
        p += textLength;
        std::memcpy(p, kPemTail, static_cast<size_t>(tail) + 1); // with its NUL
        length = head + textLength + tail;
    }
    return 1;
}

int CDigitalCertificate::ExportDerFile(const char* path) {
    if (!m_ctx || !path || !*path)
        return kCannotOpenFile;
    return yx::atomicWriteFile(path, m_ctx->der) ? kOk : kCannotOpenFile;
}

void CDigitalCertificate::setViewerCommand(const std::vector<std::string>& argv) {
    std::lock_guard lock(g_viewerMutex);
    if (argv.empty())
        g_viewer.reset(); // back to the default
    else
        g_viewer = argv;
}

std::vector<std::string> CDigitalCertificate::viewerCommand() {
    {
        std::lock_guard lock(g_viewerMutex);
        if (g_viewer)
            return *g_viewer;
    }
    return defaultViewer();
}

int CDigitalCertificate::Display() {
    if (!m_ctx)
        return -1;
    yx::OwnerOnlyTempFile file(yx::paths::tempDir(), "CERT");
    if (!file.ok() || !file.write(m_ctx->der.data(), m_ctx->der.size()))
        return -1; // the temporary file is removed as `file` ends
    std::vector<std::string> argv = viewerCommand();
    argv.push_back(file.path());
    // Blocks until the viewer is closed; the file goes when `file` ends.
    const int rc = yx::prompt().runProgram(argv, true);
    return rc < 0 ? -1 : kOk;
}

int CDigitalCertificate::SignMessage(CBBuffer& data, CBBuffer& signature) {
    if (!m_ctx)
        return -1;
    yx::EvpPkeyPtr key = m_ctx->loadPrivateKey();
    if (!key)
        return -1;
    constexpr int flags = PKCS7_DETACHED | PKCS7_BINARY | PKCS7_NOATTR | PKCS7_NOSMIMECAP;
    yx::Pkcs7Ptr p7(PKCS7_sign(nullptr, nullptr, nullptr, nullptr, flags | PKCS7_PARTIAL));
    if (!p7 || !PKCS7_sign_add_signer(p7.get(), m_ctx->x509.get(), key.get(), EVP_md5(), flags)) {
        ERR_clear_error();
        return -1;
    }
    static const unsigned char empty = 0;
    const unsigned char* bytes = data.size() > 0 ? data.GetBuffer() : &empty;
    yx::BioPtr in(BIO_new_mem_buf(bytes, data.size()));
    if (!in || PKCS7_final(p7.get(), in.get(), flags) != 1) {
        ERR_clear_error();
        return -1;
    }
    const auto der = yx::toDer<i2d_PKCS7>(p7.get());
    if (der.empty()) {
        ERR_clear_error();
        return -1;
    }
    signature.resize(static_cast<int>(der.size()));
    std::memcpy(signature.GetBuffer(), der.data(), der.size());
    return kOk;
}

CDigitalCertificate* CDigitalCertificate::VerifyMessage(CBBuffer& signature, CBBuffer& data) {
    if (signature.size() <= 0 || !signature.GetBuffer())
        return nullptr;
    const unsigned char* p = signature.GetBuffer();
    yx::Pkcs7Ptr p7(d2i_PKCS7(nullptr, &p, signature.size()));
    if (!p7 || !PKCS7_type_is_signed(p7.get())) {
        ERR_clear_error();
        return nullptr;
    }
    static const unsigned char empty = 0;
    const unsigned char* bytes = data.size() > 0 ? data.GetBuffer() : &empty;
    // A pass-through filter in front of the memory BIO: PKCS7_verify copies a bare memory BIO
    // into one of its own and loses that copy when the message names an unknown digest.
    yx::BioPtr in(BIO_new(BIO_f_null()));
    if (BIO* mem = in ? BIO_new_mem_buf(bytes, data.size()) : nullptr)
        BIO_push(in.get(), mem);
    else
        in.reset();
    yx::X509StorePtr store(X509_STORE_new());
    // The signature itself is checked, not the signer's chain.
    if (!in || !store ||
        PKCS7_verify(p7.get(), nullptr, store.get(), in.get(), nullptr, PKCS7_NOVERIFY | PKCS7_BINARY) != 1) {
        ERR_clear_error();
        return nullptr;
    }
    STACK_OF(X509)* signers = PKCS7_get0_signers(p7.get(), nullptr, 0);
    X509* signer = signers && sk_X509_num(signers) > 0 ? sk_X509_value(signers, 0) : nullptr;
    yx::CertContextPtr ctx = yx::CertContext::fromX509(signer);
    sk_X509_free(signers); // the stack is ours, its certificates belong to p7
    ERR_clear_error();
    return ctx ? new CDigitalCertificate(ctx) : nullptr;
}
