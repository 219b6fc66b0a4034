#include "CertContext.h"
#include "DigitalCertificate.h"
#include "TestPki.h"

#include <gtest/gtest.h>
#include <memory>

using yxtest::Bytes;
using yxtest::TestCa;

namespace {

struct Signer {
    yxtest::TempDir dir;
    yxtest::Issued issued;
    yx::CertContextPtr ctx;
    std::unique_ptr<CDigitalCertificate> cert;

    explicit Signer(TestCa& ca) : issued(ca.issue({})) {
        ctx = yx::CertContext::fromX509(issued.cert.get());
        ctx->keyPath = yxtest::writeFile(dir.path(), "key.pem", issued.keyPem());
        cert = std::make_unique<CDigitalCertificate>(ctx);
    }
};

TestCa& ca() {
    static TestCa instance;
    return instance;
}

CBBuffer bufferOf(const std::string& s) {
    CBBuffer b;
    b.AttachBuffer(s.data(), static_cast<int>(s.size()));
    return b;
}

Bytes bytesOf(const CBBuffer& b) {
    return Bytes(b.GetBuffer(), b.GetBuffer() + b.size());
}

} // namespace

TEST(SignMessage, TamperedDataOrSignatureFails) {
    Signer s(ca());
    CBBuffer data = bufferOf("pay 100 yuan"), sig;
    ASSERT_EQ(s.cert->SignMessage(data, sig), 0);

    CBBuffer changed = bufferOf("pay 900 yuan");
    EXPECT_EQ(CDigitalCertificate::VerifyMessage(sig, changed), nullptr);
    CBBuffer longer = bufferOf("pay 100 yuan.");
    EXPECT_EQ(CDigitalCertificate::VerifyMessage(sig, longer), nullptr);

    // The RSA signature value sits at the end of the message.
    CBBuffer badSig;
    badSig.AttachBuffer(reinterpret_cast<const char*>(sig.GetBuffer()), sig.size());
    badSig.GetBuffer()[badSig.size() - 5] ^= 0x01;
    EXPECT_EQ(CDigitalCertificate::VerifyMessage(badSig, data), nullptr);

    CBBuffer junk = bufferOf("not a signature"), empty;
    EXPECT_EQ(CDigitalCertificate::VerifyMessage(junk, data), nullptr);
    EXPECT_EQ(CDigitalCertificate::VerifyMessage(empty, data), nullptr);
}

TEST(SignMessage, TheOpenSslToolAcceptsTheSignature) {
    Signer s(ca());
    const std::string text = "检查 with the command-line tool";
    CBBuffer data = bufferOf(text), sig;
    ASSERT_EQ(s.cert->SignMessage(data, sig), 0);
    const std::string sigPath = yxtest::writeFile(s.dir.path(), "sig.p7", bytesOf(sig));
    const std::string dataPath = yxtest::writeFile(s.dir.path(), "data.txt", text);
    const std::string badPath = yxtest::writeFile(s.dir.path(), "bad.txt", text + "!");
    auto verify = [&](const std::string& content) {
        return yxtest::runCommand({"openssl", "smime", "-verify", "-binary", "-noverify", "-inform", "DER",
                                   "-in", sigPath, "-content", content, "-out", "/dev/null"});
    };
    EXPECT_EQ(verify(dataPath), 0);
    EXPECT_NE(verify(badPath), 0);
}
