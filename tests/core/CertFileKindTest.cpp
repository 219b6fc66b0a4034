#include "CertFileKind.h"
#include "TestPki.h"

#include <gtest/gtest.h>

using yx::CertFileKind;

TEST(CertFileKindTest, DownloadedFilesGoToTheStoreTheyBelongIn) {
    yxtest::TempDir dir;
    yxtest::TestCa ca;
    const yxtest::Issued leaf = ca.issue({}), subCa = ca.issue({.isCa = true});
    const yxtest::Bytes caDer = ca.der();
    const yxtest::Bytes leafDer = leaf.der();

    const struct {
        const char* name;
        std::string content;
        CertFileKind expected;
    } cases[] = {
        {"backup.PFX", "not even read", CertFileKind::Pfx},
        {"backup.p12", "", CertFileKind::Pfx},
        {"root.cer", std::string(caDer.begin(), caDer.end()), CertFileKind::CaCertificate},
        {"sub.crt", subCa.pem(), CertFileKind::CaCertificate},
        {"user.cer", leaf.pem(), CertFileKind::Certificate},
        {"user.DER", std::string(leafDer.begin(), leafDer.end()), CertFileKind::Certificate},
        {"broken.cer", "garbage", CertFileKind::Certificate},
        {"user.pem", leaf.pem(), CertFileKind::Certificate},
        {"key.pem", leaf.keyPem(), CertFileKind::NotCertificate},
        {"page.html", leaf.pem(), CertFileKind::NotCertificate},
        {"cer", leaf.pem(), CertFileKind::NotCertificate},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = yxtest::writeFile(dir.path(), c.name, c.content);
        EXPECT_EQ(yx::classifyCertFile(path), c.expected);
    }
}
