#include "DigitalCertificate.h"
#include "Base64.h"
#include "CertContext.h"
#include "CertText.h"
#include "Revocation.h"
#include "SafeFile.h"
#include "SecLog.h"
#include "TestPki.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
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

std::string logText() {
    const auto bytes = yxtest::readFile(CSecLog::logFilePath());
    return std::string(bytes.begin(), bytes.end());
}

// Sets an environment variable for the object's lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
        ::tzset();
    }
    ~ScopedEnv() {
        if (m_old)
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
        ::tzset();
    }

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

class RecordingSink : public yx::CertPropertySink {
public:
    bool saveProperties(const yx::CertContext& ctx) override {
        saved.push_back(ctx.friendlyName);
        return accept;
    }
    std::vector<std::optional<std::string>> saved;
    bool accept = true;
};

} // namespace

TEST(CertInfo, KeysCompareWithoutLetterCaseAndUnknownKeysLeaveTheValue) {
    auto cert = issue({});
    for (const char* key : {"version", "VERSION", "Version", "vErSiOn"})
        EXPECT_EQ(info(*cert, key), "V3") << key;
    std::string v = "unchanged";
    EXPECT_EQ(cert->GetCertInfo("Subject", v), CDigitalCertificate::kUnknownKey);
    EXPECT_EQ(v, "unchanged");
    EXPECT_EQ(cert->GetCertInfo("", v), CDigitalCertificate::kUnknownKey);
    EXPECT_EQ(cert->GetCertInfo(nullptr, v), CDigitalCertificate::kUnknownKey);
    EXPECT_EQ(v, "unchanged");
    EXPECT_EQ(info(*cert, "thumbprint"), info(*cert, "ThumbPrint"));
    std::string viaGetter;
    EXPECT_EQ(cert->getVersion(viaGetter), 0);
    EXPECT_EQ(viaGetter, "V3");
}

TEST(CertInfo, VersionOneCertificateReadsV1) {
    yx::X509Ptr x(X509_new());
    X509_set_version(x.get(), 0);
    ASN1_INTEGER_set(X509_get_serialNumber(x.get()), 5);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(x.get()), "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>("v1"), -1, -1, 0);
    X509_set_issuer_name(x.get(), X509_get_subject_name(x.get()));
    X509_gmtime_adj(X509_getm_notBefore(x.get()), 0);
    X509_gmtime_adj(X509_getm_notAfter(x.get()), 3600);
    auto key = yxtest::pooledKey(1);
    X509_set_pubkey(x.get(), key.get());
    ASSERT_GT(X509_sign(x.get(), key.get(), EVP_sha256()), 0);
    CDigitalCertificate cert(yx::CertContext::fromX509(x.get()));
    EXPECT_EQ(info(cert, "Version"), "V1");
}

TEST(CertInfo, NamesInX500TextWithChineseValues) {
    CertProfile profile;
    profile.cn = "张三";
    profile.email = "a@b.c";
    auto cert = issue(profile);
    EXPECT_EQ(info(*cert, "SubjectName"), "C=CN, O=岚川测试, CN=张三, E=a@b.c");
    EXPECT_EQ(info(*cert, "IssuerName"), "C=CN, O=岚川测试, CN=钥匣测试根CA");
    std::string s;
    EXPECT_EQ(cert->getSubjectName(s), 0);
    EXPECT_EQ(s, "C=CN, O=岚川测试, CN=张三, E=a@b.c");

    profile.cn = "Zhang, San";
    profile.email.clear();
    profile.extraSubject = {{"OU", "研发部"}, {"1.2.3.4", "x"}};
    EXPECT_EQ(info(*issue(profile), "SubjectName"),
              "C=CN, O=岚川测试, CN=\"Zhang, San\", OU=研发部, OID.1.2.3.4=x");
}

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

TEST(CertInfo, SerialNumberTextFromTheEncodedContentOctets) {
    const std::pair<yxtest::Bytes, const char*> cases[] = {
        {{0x00, 0x9f, 0x3c}, "009f3c"}, // positive with its sign byte: 00 kept
        {{0xff, 0x12}, "ff12"},         // negative: FF needed, kept
        {{0xff}, "ff"},
        {{0x12, 0x34, 0x56, 0x78, 0x9a}, "123456789a"},
    };
    for (const auto& [content, text] : cases) {
        CertProfile profile;
        profile.serialContent = content;
        EXPECT_EQ(info(*issue(profile), "SerialNumber"), text);
    }
    CertProfile counter;
    counter.serial = {0x03, 0xe8};
    std::string s;
    auto cert = issue(counter);
    EXPECT_EQ(cert->getSerialNumber(s), 0);
    EXPECT_EQ(s, "03e8");
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

TEST(CertInfo, DisplayNameFallsBackWhenThereIsNoCommonName) {
    struct Case {
        std::string cn, org;
        std::vector<std::pair<std::string, std::string>> extra;
        std::string altEmail, nameEmail, display;
    };
    const Case cases[] = {
        {"张三", "岚川测试", {}, "", "", "张三"},
        {"", "岚川测试", {}, "", "", "岚川测试"},
        {"", "岚川测试", {{"OU", "研发部"}}, "", "", "研发部"}, // OU before O, whatever the order
        {"", "", {}, "x@lanchuan.cn", "", "x@lanchuan.cn"},
        {"", "", {}, "alt@lanchuan.cn", "name@lanchuan.cn", "name@lanchuan.cn"},
        {"", "", {{"L", "北京"}}, "", "", "CN"}, // first attribute of the name (C=CN)
    };
    for (const auto& c : cases) {
        CertProfile profile;
        profile.cn = c.cn;
        profile.org = c.org;
        profile.extraSubject = c.extra;
        profile.altEmail = c.altEmail;
        profile.nameEmail = c.nameEmail;
        auto cert = issue(profile);
        std::string display;
        EXPECT_EQ(cert->getDisplayName(display), 0);
        EXPECT_EQ(display, c.display);
        EXPECT_EQ(info(*cert, "SubjectCN"), c.display);
        EXPECT_EQ(info(*cert, "IssuerCN"), "钥匣测试根CA");
    }
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

TEST(CertInfo, DatesAreLocalTimeText) {
    CertProfile profile;
    profile.notBeforeOffset = -3 * 86400 - 4321;
    profile.notAfterOffset = 200L * 86400 + 77;
    auto issued = ca().issue(profile);
    auto cert = certOf(issued);
    yx::Asn1TimePtr epoch(ASN1_TIME_set(nullptr, 0));
    auto epochOf = [&](const ASN1_TIME* t) {
        int days = 0, secs = 0;
        EXPECT_EQ(ASN1_TIME_diff(&days, &secs, epoch.get(), t), 1);
        return std::to_string(static_cast<long long>(days) * 86400 + secs);
    };
    const std::string from = epochOf(X509_get0_notBefore(issued.cert.get()));
    const std::string to = epochOf(X509_get0_notAfter(issued.cert.get()));

    auto dateText = [](const std::string& epochSecs) {
        std::string out;
        EXPECT_EQ(yxtest::runCommand({"date", "-d", "@" + epochSecs, "+%Y-%m-%d %H:%M:%S"}, &out), 0);
        out.erase(out.find_last_not_of("\r\n") + 1);
        return out;
    };
    std::string shanghaiFrom;
    {
        ScopedEnv tz("TZ", "Asia/Shanghai");
        shanghaiFrom = info(*cert, "ValidFromDate");
        EXPECT_EQ(shanghaiFrom, dateText(from));
        EXPECT_EQ(info(*cert, "ValidToDate"), dateText(to));
        std::string v;
        EXPECT_EQ(cert->getValidToDate(v), 0);
        EXPECT_EQ(v, dateText(to));
    }
    {
        ScopedEnv tz("TZ", "UTC");
        const std::string utcFrom = info(*cert, "ValidFromDate");
        EXPECT_EQ(utcFrom, dateText(from));
        EXPECT_NE(utcFrom, shanghaiFrom); // eight hours apart
    }
}

TEST(CertValidity, StrictlyBetweenStartAndEnd) {
    CertProfile profile;
    profile.notBeforeOffset = -86400;
    profile.notAfterOffset = 86400;
    EXPECT_EQ(issue(profile)->isLocalTimeValid(), 1);
    profile.notAfterOffset = -1;
    EXPECT_EQ(issue(profile)->isLocalTimeValid(), 0);
    profile.notBeforeOffset = 120;
    profile.notAfterOffset = 86400;
    EXPECT_EQ(issue(profile)->isLocalTimeValid(), 0);
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
        CertProfile profile;
        profile.keyUsage = c.ku;
        auto cert = issue(profile);
        EXPECT_EQ(cert->isCryptUse(), c.crypt) << c.ku;
        EXPECT_EQ(cert->isSignUse(), c.sign) << c.ku;
    }
}

TEST(CertAlgorithm, KnownIdentifiersGetNamesOthersStayAsTheyAre) {
    auto cert = issue({});
    std::string name;
    const std::pair<const char*, const char*> table[] = {{"1.2.840.113549.1.1.5", "sha1RSA"},
                                                         {"1.2.840.113549.1.1.4", "md5RSA"},
                                                         {"1.2.840.113549", "RSA"},
                                                         {"1.2.840.113549.1.1.11", "1.2.840.113549.1.1.11"},
                                                         {"1.2.840.113549.1.1.5 ", "1.2.840.113549.1.1.5 "}};
    for (auto [oid, text] : table) {
        EXPECT_EQ(cert->ConvAlgorithmToStr(oid, name), 0);
        EXPECT_EQ(name, text);
    }
    EXPECT_EQ(cert->getSignatureAlgorithm(name), 0);
    EXPECT_EQ(name, "1.2.840.113549.1.1.11"); // the test CA signs with SHA-256

    auto sha1 = ca().issue({});
    ASSERT_GT(X509_sign(sha1.cert.get(), ca().key(), EVP_sha1()), 0);
    EXPECT_EQ(certOf(sha1)->getSignatureAlgorithm(name), 0);
    EXPECT_EQ(name, "sha1RSA");
}

TEST(CertEncoding, DerNeedsTheWholeSize) {
    auto issued = ca().issue({});
    const auto der = issued.der();
    auto cert = certOf(issued);
    std::vector<char> out(4096, 'Z');
    int len = static_cast<int>(der.size()) - 1;
    EXPECT_EQ(cert->GetEncodedCert(CDigitalCertificate::DER, out.data(), len), 1);
    EXPECT_EQ(len, static_cast<int>(der.size()) - 1);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](char c) { return c == 'Z'; }));

    len = static_cast<int>(der.size());
    EXPECT_EQ(cert->GetEncodedCert(CDigitalCertificate::DER, out.data(), len), 1);
    ASSERT_EQ(len, static_cast<int>(der.size()));
    EXPECT_EQ(std::memcmp(out.data(), der.data(), der.size()), 0);
}

TEST(CertEncoding, Base64AndPemNeedRoomForTheirNul) {
    auto issued = ca().issue({});
    const auto der = issued.der();
    std::string b64(4 * ((der.size() + 2) / 3) + 1, '\0');
    b64.resize(static_cast<size_t>(EVP_EncodeBlock(reinterpret_cast<unsigned char*>(b64.data()), der.data(),
                                                   static_cast<int>(der.size()))));
    auto cert = certOf(issued);
    const int textLen = static_cast<int>(b64.size());

    std::vector<char> out(4096, 'Z');
    int len = textLen; // the text without room for its NUL
    EXPECT_EQ(cert->GetEncodedCert(CDigitalCertificate::BASE64, out.data(), len), 1);
    EXPECT_EQ(len, textLen);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](char c) { return c == 'Z'; }));
    len = textLen + 1;
    EXPECT_EQ(cert->GetEncodedCert(CDigitalCertificate::BASE64, out.data(), len), 1);
    EXPECT_EQ(len, textLen);
    EXPECT_EQ(std::string(out.data()), b64);

    const std::string pem = "-----BEGIN CERTIFICATE-----\n" + b64 + "\n-----END CERTIFICATE-----";
    std::fill(out.begin(), out.end(), 'Z');
    len = 28 + textLen + 26;
    EXPECT_EQ(cert->GetEncodedCert(CDigitalCertificate::PEM, out.data(), len), 1);
    EXPECT_EQ(len, 28 + textLen + 26);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](char c) { return c == 'Z'; }));
    len = 28 + textLen + 26 + 1;
    EXPECT_EQ(cert->GetEncodedCert(CDigitalCertificate::PEM, out.data(), len), 1);
    EXPECT_EQ(len, static_cast<int>(pem.size()));
    EXPECT_EQ(std::string(out.data()), pem);

    // The PEM text is one the OpenSSL tool reads back to the same certificate.
    yxtest::TempDir dir;
    const std::string path = yxtest::writeFile(dir.path(), "c.pem", pem + "\n");
    std::string derOut;
    ASSERT_EQ(yxtest::runCommand({"openssl", "x509", "-in", path, "-outform", "DER"}, &derOut), 0);
    EXPECT_EQ(yxtest::Bytes(derOut.begin(), derOut.end()), der);

    len = 100;
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

TEST(CertEncoding, Base64RoundTripsThroughTheConstructor) {
    auto issued = ca().issue({});
    auto cert = certOf(issued);
    char text[4096];
    int len = sizeof text;
    ASSERT_EQ(cert->GetEncodedCert(CDigitalCertificate::BASE64, text, len), 1);
    CDigitalCertificate back(text, 0, CDigitalCertificate::BASE64);
    ASSERT_NE(back.getPCCERT(), nullptr);
    EXPECT_EQ(back.getPCCERT()->der, issued.der());
    EXPECT_EQ(info(back, "ThumbPrint"), info(*cert, "ThumbPrint"));

    // Line breaks in the text are ignored.
    std::string wrapped(text);
    for (size_t i = 64; i < wrapped.size(); i += 65)
        wrapped.insert(i, "\n");
    CDigitalCertificate fromWrapped(wrapped.c_str(), 0, CDigitalCertificate::BASE64);
    ASSERT_NE(fromWrapped.getPCCERT(), nullptr);
    EXPECT_EQ(fromWrapped.getPCCERT()->der, issued.der());

    CDigitalCertificate pem(issued.pem().c_str(), static_cast<int>(issued.pem().size()),
                            CDigitalCertificate::PEM);
    EXPECT_EQ(pem.getPCCERT(), nullptr);
    CDigitalCertificate junk("not base64 at all!", 0, CDigitalCertificate::BASE64);
    EXPECT_EQ(junk.getPCCERT(), nullptr);
    CDigitalCertificate notACert("Zm9vYmFy", 0, CDigitalCertificate::BASE64);
    EXPECT_EQ(notACert.getPCCERT(), nullptr);
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

TEST(CertExport, WritesTheDerBytesAndReports3WhenTheFileCannotBeWritten) {
    yxtest::TempDir dir;
    auto issued = ca().issue({});
    auto cert = certOf(issued);
    const std::string path = yxtest::writeFile(dir.path(), "old.cer", std::string("previous content"));
    EXPECT_EQ(cert->ExportDerFile(path.c_str()), 0);
    EXPECT_EQ(yxtest::readFile(path), issued.der());

    const std::string missing = dir.path() + "/no/such/folder/c.cer";
    EXPECT_EQ(cert->ExportDerFile(missing.c_str()), CDigitalCertificate::kCannotOpenFile);
    EXPECT_FALSE(yx::fileExists(missing));
}

TEST(CertFriendlyName, AbsentNameLeavesTheCallersStringAlone) {
    auto cert = issue({});
    std::string name;
    EXPECT_EQ(cert->getFriendlyName(name), 0);
    EXPECT_EQ(name, "");
    name = "kept";
    EXPECT_EQ(cert->getFriendlyName(name), 0);
    EXPECT_EQ(name, "kept");
}

TEST(CertFriendlyName, ChangesGoToTheStoreAtOnceAndEmptyRemoves) {
    yxtest::ScopedDataRoot root;
    auto ctx = yx::CertContext::fromX509(ca().issue({}).cert.get());
    auto sink = std::make_shared<RecordingSink>();
    ctx->store = sink;
    CDigitalCertificate cert(ctx);
    CDigitalCertificate sameEntry(ctx);

    std::string name = "我的工作证书";
    EXPECT_EQ(cert.setFriendlyName(name), 0);
    ASSERT_EQ(sink->saved.size(), 1u);
    EXPECT_EQ(sink->saved[0], std::optional<std::string>("我的工作证书"));
    std::string read;
    EXPECT_EQ(sameEntry.getFriendlyName(read), 0); // one shared context
    EXPECT_EQ(read, "我的工作证书");

    std::string empty;
    EXPECT_EQ(cert.setFriendlyName(empty), 0);
    ASSERT_EQ(sink->saved.size(), 2u);
    EXPECT_EQ(sink->saved[1], std::nullopt);
    EXPECT_FALSE(ctx->friendlyName.has_value());
    read = "kept";
    EXPECT_EQ(cert.getFriendlyName(read), 0);
    EXPECT_EQ(read, "kept");

    // A store that cannot keep the change: the name stays as it was and a line is logged.
    name = "旧名";
    EXPECT_EQ(cert.setFriendlyName(name), 0);
    sink->accept = false;
    std::string other = "新名";
    EXPECT_EQ(cert.setFriendlyName(other), CDigitalCertificate::kPlatformError);
    EXPECT_EQ(ctx->friendlyName, std::optional<std::string>("旧名"));
    EXPECT_NE(logText().find("CertSetCertificateContextProperty Error: 0x"), std::string::npos);
}

TEST(CertFriendlyName, WithoutAStoreTheNameLivesInTheContext) {
    auto ctx = yx::CertContext::fromX509(ca().issue({}).cert.get());
    CDigitalCertificate cert(ctx);
    std::string name = "临时";
    EXPECT_EQ(cert.setFriendlyName(name), 0);
    EXPECT_EQ(ctx->friendlyName, std::optional<std::string>("临时"));
}

TEST(CertProvider, ProviderNameOnlyWhenRecorded) {
    auto ctx = yx::CertContext::fromX509(ca().issue({}).cert.get());
    CDigitalCertificate cert(ctx);
    std::string v = "kept";
    EXPECT_EQ(cert.getCSP(v), 0);
    EXPECT_EQ(v, "kept");
    ctx->providerName = "Microsoft Enhanced Cryptographic Provider v1.0";
    EXPECT_EQ(cert.getCSP(v), 0);
    EXPECT_EQ(v, "Microsoft Enhanced Cryptographic Provider v1.0");
    ctx->providerName = std::string(3000, 'p');
    EXPECT_EQ(cert.getCSP(v), 0);
    EXPECT_EQ(v.size(), 2047u);
}

TEST(CertRevocation, OutcomesMapToStatusTextsAndCodes) {
    struct Case {
        yx::RevocationResult outcome;
        const char* status;
        int rc;
        unsigned code;
    };
    const Case cases[] = {
        {yx::RevocationResult::Good, "有效", 0, 0},
        {yx::RevocationResult::Revoked, "已吊销", 9, 0x80092010},
        {yx::RevocationResult::Offline, "未知", 10, 0x80092013},
        {yx::RevocationResult::NoCheck, "无CRL", 12, 0x80092012},
        {yx::RevocationResult::Error, "错误", 11, 0x80004005},
    };
    for (const auto& c : cases) {
        std::string status = "previous";
        unsigned code = 1;
        EXPECT_EQ(CDigitalCertificate::RevocationStatus(c.outcome, status, code), c.rc);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(code, c.code);
    }
}

TEST(CertRevocation, CheckAlwaysSetsAStatusAndLogsFailures) {
    yxtest::ScopedDataRoot root;
    // No distribution point: nothing to check against.
    auto plain = issue({});
    std::string status;
    EXPECT_EQ(plain->CRLCheck(status, false), CDigitalCertificate::kNoRevocationCheck);
    EXPECT_EQ(status, "无CRL");
    EXPECT_NE(logText().find("DigitalCertificate:"), std::string::npos);
    EXPECT_NE(logText().find("CertVerifyRevocation Error: 0x80092012"), std::string::npos);

    // A distribution point, never fetched, cache only: some failure status, never an empty one,
    // and the logged code is the one that belongs to it.
    CertProfile profile;
    profile.crlUrls = {"http://127.0.0.1:9/never.crl"};
    auto withCdp = issue(profile);
    status.clear();
    const int rc = withCdp->CRLCheck(status, false);
    EXPECT_NE(rc, 0);
    std::string expected;
    unsigned code = 0;
    const yx::RevocationResult outcomes[] = {yx::RevocationResult::Revoked, yx::RevocationResult::Offline,
                                             yx::RevocationResult::NoCheck, yx::RevocationResult::Error};
    bool matched = false;
    for (auto o : outcomes)
        if (CDigitalCertificate::RevocationStatus(o, expected, code) == rc) {
            matched = true;
            EXPECT_EQ(status, expected);
            char line[64];
            std::snprintf(line, sizeof line, "CertVerifyRevocation Error: 0x%x", code);
            EXPECT_NE(logText().find(line), std::string::npos) << line;
        }
    EXPECT_TRUE(matched) << rc;
}
