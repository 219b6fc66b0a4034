// CDigitalCertificate: the one object through which the program sees an X.509 certificate.
// Text results are UTF-8, returned through std::string& with an int result code.
#pragma once

#include "BBuffer.h"
#include "CertContext.h"
#include "SecLog.h"

#include <string>
#include <vector>

class CKeyUsage;

namespace yx {
enum class RevocationResult;
}

class CDigitalCertificate {
public:
    enum CERT_ENCODING { DER = 0, PEM = 1, BASE64 = 2 };

    // Result codes.
    enum {
        kOk = 0,
        kUnknownKey = 2,
        kCannotOpenFile = 3,
        kPlatformError = 4,
        kRevoked = 9,
        kRevocationOffline = 10,
        kRevocationError = 11,
        kNoRevocationCheck = 12,
    };

    // Shares the context (one counted reference); log level 4.
    explicit CDigitalCertificate(const yx::CertContextPtr& context);
    // DER: `length` bytes; BASE64: NUL-terminated Base64 text (through a 4096-byte work area);
    // anything else: no certificate.
    CDigitalCertificate(const char* data, int length, CERT_ENCODING encoding);
    virtual ~CDigitalCertificate();

    CDigitalCertificate(const CDigitalCertificate&) = delete;
    CDigitalCertificate& operator=(const CDigitalCertificate&) = delete;

    const yx::CertContextPtr& getPCCERT() const { return m_ctx; }
    CKeyUsage* getKeyUsage() { return nullptr; }

    int GetCertInfo(const char* key, std::string& value);
    int getVersion(std::string& v) { return GetCertInfo("Version", v); }
    int getSerialNumber(std::string& v) { return GetCertInfo("SerialNumber", v); }
    int getSubjectName(std::string& v) { return GetCertInfo("SubjectName", v); }
    int getIssuerName(std::string& v) { return GetCertInfo("IssuerName", v); }
    int getValidFromDate(std::string& v) { return GetCertInfo("ValidFromDate", v); }
    int getValidToDate(std::string& v) { return GetCertInfo("ValidToDate", v); }
    int getThumbPrint(std::string& v) { return GetCertInfo("ThumbPrint", v); }
    int getEmail(std::string& v) { return GetCertInfo("SubjectEmail", v); }
    int getCSP(std::string& v) { return GetCertInfo("CSP", v); }
    int getIssuerCN(std::string& v) { return GetCertInfo("IssuerCN", v); }
    int getDisplayName(std::string& v);
    int getSignatureAlgorithm(std::string& v);

    int getThumbPrint(CBBuffer* hash);
    int getFriendlyName(std::string& name);
    int setFriendlyName(std::string& name);
    int ConvAlgorithmToStr(const char* oid, std::string& name);
    // online: may fetch CRLs over the network; otherwise the CRL cache alone.
    int CRLCheck(std::string& status, bool online);
    int isLocalTimeValid();
    int isCryptUse();
    int isSignUse();
    int GetEncodedCert(CERT_ENCODING encoding, char* out, int& length);
    int ExportDerFile(const char* path);
    // Shows the certificate in the viewer program and returns when it is closed.
    int Display();
    int SignMessage(CBBuffer& data, CBBuffer& signature);
    static CDigitalCertificate* VerifyMessage(CBBuffer& signature, CBBuffer& data);

    // The viewer command Display starts; the file path is appended as the last argument.
    // Default: "yaoxia-viewer" beside the running executable (else on PATH).
    static void setViewerCommand(const std::vector<std::string>& argv);
    static std::vector<std::string> viewerCommand();

    // The status text, result code and CryptoAPI error code (0 for success) CRLCheck gives for
    // a revocation outcome.
    static int RevocationStatus(yx::RevocationResult outcome, std::string& status, unsigned& errorCode);

private:
    int SysTimeToStr(const struct tm& localTime, std::string& text);
    int nameText(bool issuer, bool email, std::string& out);

    CSecLog m_log;
    yx::CertContextPtr m_ctx; // may be null: the object holds no certificate
};
