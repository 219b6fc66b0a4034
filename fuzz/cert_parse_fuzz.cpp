// Certificates from outside (files, directory results, Base64 text in stores and mail) go through
// the certificate object's byte constructors; every accessor must cope with whatever they accept.
#include "BBuffer.h"
#include "DigitalCertificate.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void exercise(CDigitalCertificate& cert) {
    static const char* const keys[] = {"Version",    "IssuerName",    "SubjectName", "SerialNumber",
                                       "CSP",        "ValidFromDate", "ValidToDate", "SubjectEmail",
                                       "SubjectCN",  "IssuerEmail",   "IssuerCN",    "ThumbPrint",
                                       "no such key"};
    std::string v;
    for (const char* key : keys)
        cert.GetCertInfo(key, v);
    cert.getDisplayName(v);
    cert.getSignatureAlgorithm(v);
    cert.getFriendlyName(v);
    CBBuffer hash;
    cert.getThumbPrint(&hash);
    cert.isLocalTimeValid();
    cert.isCryptUse();
    cert.isSignUse();
    std::vector<char> out(4096);
    for (auto enc : {CDigitalCertificate::DER, CDigitalCertificate::PEM, CDigitalCertificate::BASE64}) {
        int len = static_cast<int>(out.size());
        cert.GetEncodedCert(enc, out.data(), len);
    }
    CBBuffer data, sig;
    data.Attachstr("x");
    cert.SignMessage(data, sig); // no private key: refused
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Failure lines of the certificate log go to a scratch data root, never the user's.
    if (!std::getenv("YAOXIA_HOME")) {
        static char dir[] = "/tmp/cert-parse-fuzz-XXXXXX";
        if (::mkdtemp(dir))
            ::setenv("YAOXIA_HOME", dir, 1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        CDigitalCertificate der(reinterpret_cast<const char*>(data), static_cast<int>(size),
                                CDigitalCertificate::DER);
        exercise(der);
    }
    {
        const std::string text(reinterpret_cast<const char*>(data), size); // NUL-terminated copy
        CDigitalCertificate b64(text.c_str(), 0, CDigitalCertificate::BASE64);
        exercise(b64);
    }
    {
        // The same bytes as a detached signature over a fixed message.
        CBBuffer sig(const_cast<unsigned char*>(data), static_cast<int>(size), false);
        CBBuffer message;
        message.Attachstr("hello"); // the seed signature signs "hello"
        std::unique_ptr<CDigitalCertificate> signer(CDigitalCertificate::VerifyMessage(sig, message));
        if (signer)
            exercise(*signer);
    }
    return 0;
}
