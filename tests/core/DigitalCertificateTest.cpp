#include "DigitalCertificate.h"
#include "Base64.h"
#include "CertContext.h"
#include "CertText.h"
#include "SafeFile.h"
#include "TestPki.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <openssl/evp.h>

using yxtest::CertProfile;
using yxtest::Issued;
using yxtest::TestCa;

namespace {

using CertPtr = std::unique_ptr<CDigitalCertificate>;

TestCa& ca() {
    static TestCa instance;
    return instance;
}

CertPtr certOf(const Issued& issued) {
    return std::make_unique<CDigitalCertificate>(yx::CertContext::fromX509(issued.cert.get()));
}

CertPtr issue(const CertProfile& profile) {
    return certOf(ca().issue(profile));
}

std::string info(CDigitalCertificate& cert, const char* key) {
    std::string v;
    EXPECT_EQ(cert.GetCertInfo(key, v), 0) << key;
    return v;
}

} // namespace

TEST(CertInfo, LongNamesAreCutAt1023BytesOnACharacterBoundary) {
    std::string ou;
    for (int i = 0; i < 60; ++i)
        ou += "中";
    bool cutMidCharacter = false;
    // Three CN lengths: one of them puts byte 1023 inside a three-byte character.
    for (int cnLength : {10, 11, 12}) {
        CertProfile profile;
        profile.cn = std::string(static_cast<size_t>(cnLength), 'a');
        for (int i = 0; i < 7; ++i)
            profile.extraSubject.push_back({"OU", ou});
        auto issued = ca().issue(profile);
        const std::string full = yx::x500NameText(X509_get_subject_name(issued.cert.get()));
        ASSERT_GT(full.size(), 1100u);
        const std::string name = info(*certOf(issued), "SubjectName");
        EXPECT_LE(name.size(), 1023u);
        EXPECT_GE(name.size(), 1021u);
        EXPECT_EQ(full.compare(0, name.size(), name), 0);
        EXPECT_NE(static_cast<unsigned char>(full[name.size()]) & 0xC0, 0x80); // next byte starts a character
        cutMidCharacter = cutMidCharacter || name.size() < 1023;
    }
    EXPECT_TRUE(cutMidCharacter);
}

TEST(CertInfo, EmailComesFromTheAltNameBeforeTheNameAttribute) {
    CertProfile profile;
    profile.altEmail = "san@lanchuan.cn";
    profile.nameEmail = "name@lanchuan.cn";
    EXPECT_EQ(info(*issue(profile), "SubjectEmail"), "san@lanchuan.cn");

    profile.altEmail.clear();
    EXPECT_EQ(info(*issue(profile), "SubjectEmail"), "name@lanchuan.cn");

    profile.nameEmail.clear();
    auto none = issue(profile);
    std::string v = "old";
    EXPECT_EQ(none->getEmail(v), 0);
    EXPECT_EQ(v, "");

    profile.issuerAltEmail = "ca@lanchuan.cn";
    auto withIssuerAlt = issue(profile);
    EXPECT_EQ(info(*withIssuerAlt, "IssuerEmail"), "ca@lanchuan.cn");
    EXPECT_EQ(info(*withIssuerAlt, "SubjectEmail"), "");
    EXPECT_EQ(info(*none, "IssuerEmail"), "");
}

TEST(CertInfo, ThumbprintEqualsTheOpenSslFingerprint) {
    yxtest::TempDir dir;
    auto issued = ca().issue({});
    const std::string path = yxtest::writeFile(dir.path(), "c.der", issued.der());
    std::string out;
    ASSERT_EQ(
        yxtest::runCommand(
            {"openssl", "x509", "-inform", "DER", "-in", path, "-noout", "-fingerprint", "-sha1"}, &out),
        0);
    // "SHA1 Fingerprint=AB:CD:..." -> "ab cd ..."
    std::string expected = out.substr(out.find('=') + 1);
    expected.erase(expected.find_last_not_of("\r\n") + 1);
    std::transform(expected.begin(), expected.end(), expected.begin(),
                   [](char c) { return c == ':' ? ' ' : static_cast<char>(std::tolower(c)); });
    auto cert = certOf(issued);
    EXPECT_EQ(info(*cert, "ThumbPrint"), expected);
    EXPECT_EQ(expected.size(), 59u);

    CBBuffer hash;
    hash.AttachBuffer("ab", 2);
    EXPECT_EQ(cert->getThumbPrint(&hash), 0);
    ASSERT_EQ(hash.size(), 22); // appended, never replaced
    EXPECT_EQ(std::memcmp(hash.GetBuffer(), "ab", 2), 0);
    EXPECT_EQ(yx::thumbText(hash.GetBuffer() + 2, 20), expected);
}

TEST(CertValidity, StrictlyBetweenStartAndEnd) {
    EXPECT_EQ(issue({.notBeforeOffset = -86400, .notAfterOffset = 86400})->isLocalTimeValid(), 1);
    EXPECT_EQ(issue({.notBeforeOffset = -86400, .notAfterOffset = -1})->isLocalTimeValid(), 0);
    EXPECT_EQ(issue({.notBeforeOffset = 120, .notAfterOffset = 86400})->isLocalTimeValid(), 0);
}

TEST(CertKeyUsage, BitsDecideAndAMissingExtensionAllowsEverything) {
    struct Case {
        int ku, crypt, sign;
    };
    const Case cases[] = {
        {-1, 1, 1},
        {KU_DIGITAL_SIGNATURE, 0, 1},
        {KU_KEY_ENCIPHERMENT, 1, 0},
        {KU_DIGITAL_SIGNATURE | KU_KEY_ENCIPHERMENT, 1, 1},
        {KU_NON_REPUDIATION, 0, 0},
        {KU_DATA_ENCIPHERMENT | KU_KEY_AGREEMENT, 0, 0},
    };
    for (const auto& c : cases) {
        auto cert = issue({.keyUsage = c.ku});
        EXPECT_EQ(cert->isCryptUse(), c.crypt) << c.ku;
        EXPECT_EQ(cert->isSignUse(), c.sign) << c.ku;
    }
}

TEST(CertEncoding, Base64AndPemNeedRoomForTheirNul) {
    auto issued = ca().issue({});
    const auto der = issued.der();
    std::string b64(4 * ((der.size() + 2) / 3) + 1, '\0');
    b64.resize(static_cast<size_t>(EVP_EncodeBlock(reinterpret_cast<unsigned char*>(b64.data()), der.data(),
                                                   static_cast<int>(der.size()))));
    auto cert = certOf(issued);

    const std::string pem = "-----BEGIN CERTIFICATE-----\n" + b64 + "\n-----END CERTIFICATE-----";
    std::vector<char> out(4096, 'Z');
    for (const auto& [enc, text] :
         {std::pair{CDigitalCertificate::BASE64, b64}, std::pair{CDigitalCertificate::PEM, pem}}) {
        std::fill(out.begin(), out.end(), 'Z');
        int len = static_cast<int>(text.size()); // the text without room for its NUL
        EXPECT_EQ(cert->GetEncodedCert(enc, out.data(), len), 1);
        EXPECT_EQ(len, static_cast<int>(text.size()));
        EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](char c) { return c == 'Z'; }));
        len = static_cast<int>(text.size()) + 1;
        EXPECT_EQ(cert->GetEncodedCert(enc, out.data(), len), 1);
        EXPECT_EQ(len, static_cast<int>(text.size()));
        EXPECT_EQ(std::string(out.data()), text);
    }

    // The PEM text is one the OpenSSL tool reads back to the same certificate.
    yxtest::TempDir dir;
    const std::string path = yxtest::writeFile(dir.path(), "c.pem", pem + "\n");
    std::string derOut;
    ASSERT_EQ(yxtest::runCommand({"openssl", "x509", "-in", path, "-outform", "DER"}, &derOut), 0);
    EXPECT_EQ(yxtest::Bytes(derOut.begin(), derOut.end()), der);

    int len = 100;
    EXPECT_EQ(cert->GetEncodedCert(static_cast<CDigitalCertificate::CERT_ENCODING>(7), out.data(), len), 1);
    EXPECT_EQ(len, 100);
}

TEST(CertEncoding, CertificatesBeyondTheWorkAreaAreRefusedAsText) {
    CertProfile profile;
    for (int i = 0; i < 40; ++i)
        profile.crlUrls.push_back(
            "http://crl.lanchuan.example/very/long/path/to/the/revocation/list/number/" + std::to_string(i) +
            ".crl");
    auto issued = ca().issue(profile);
    const auto der = issued.der();
    ASSERT_GT(der.size(), 3072u);
    auto cert = certOf(issued);
    std::vector<char> out(8192, 'Z');
    for (auto enc : {CDigitalCertificate::BASE64, CDigitalCertificate::PEM}) {
        int len = static_cast<int>(out.size());
        EXPECT_EQ(cert->GetEncodedCert(enc, out.data(), len), 1);
        EXPECT_EQ(len, static_cast<int>(out.size()));
        EXPECT_EQ(out[0], 'Z');
    }
    int len = static_cast<int>(out.size());
    EXPECT_EQ(cert->GetEncodedCert(CDigitalCertificate::DER, out.data(), len), 1);
    EXPECT_EQ(len, static_cast<int>(der.size()));

    // Its Base64 text does not fit the constructor's work area either.
    std::string b64(4 * ((der.size() + 2) / 3) + 1, '\0');
    EVP_EncodeBlock(reinterpret_cast<unsigned char*>(b64.data()), der.data(), static_cast<int>(der.size()));
    CDigitalCertificate big(b64.c_str(), 0, CDigitalCertificate::BASE64);
    EXPECT_EQ(big.getPCCERT(), nullptr);
}

TEST(CertWithoutContext, TruncatedDerGivesAnObjectWithNoCertificate) {
    yxtest::ScopedDataRoot root;
    auto der = ca().issue({}).der();
    CDigitalCertificate truncated(reinterpret_cast<const char*>(der.data()), static_cast<int>(der.size()) - 1,
                                  CDigitalCertificate::DER);
    EXPECT_EQ(truncated.getPCCERT(), nullptr);
    der.push_back(0);
    CDigitalCertificate trailing(reinterpret_cast<const char*>(der.data()), static_cast<int>(der.size()),
                                 CDigitalCertificate::DER);
    EXPECT_EQ(trailing.getPCCERT(), nullptr);
    CDigitalCertificate empty(nullptr, 0, CDigitalCertificate::DER);
    EXPECT_EQ(empty.getPCCERT(), nullptr);

    char out[4096];
    std::memset(out, 'Z', sizeof out);
    int len = sizeof out;
    EXPECT_EQ(truncated.GetEncodedCert(CDigitalCertificate::DER, out, len), 1);
    EXPECT_EQ(len, static_cast<int>(sizeof out));
    EXPECT_EQ(out[0], 'Z');
    EXPECT_EQ(truncated.isCryptUse(), 1);
    EXPECT_EQ(truncated.isSignUse(), 1);
    EXPECT_EQ(truncated.isLocalTimeValid(), 0);

    std::string v = "kept";
    for (const char* key :
         {"Version", "SubjectName", "SerialNumber", "ValidToDate", "SubjectEmail", "ThumbPrint"}) {
        EXPECT_EQ(truncated.GetCertInfo(key, v), CDigitalCertificate::kPlatformError) << key;
        EXPECT_EQ(v, "kept");
    }
    EXPECT_EQ(truncated.GetCertInfo("nothing", v), CDigitalCertificate::kUnknownKey);
    EXPECT_EQ(truncated.getFriendlyName(v), CDigitalCertificate::kPlatformError);
    EXPECT_EQ(truncated.ExportDerFile((root.path() + "/x.cer").c_str()),
              CDigitalCertificate::kCannotOpenFile);
    EXPECT_FALSE(yx::fileExists(root.path() + "/x.cer"));
    EXPECT_EQ(truncated.Display(), -1);
    CBBuffer data, sig;
    EXPECT_EQ(truncated.SignMessage(data, sig), -1);
    std::string status;
    EXPECT_EQ(truncated.CRLCheck(status, false), CDigitalCertificate::kRevocationError);
    EXPECT_EQ(status, "错误");
}
