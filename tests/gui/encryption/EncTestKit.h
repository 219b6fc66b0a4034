// Shared by the file-encryption tests: a fresh data root and prompt for each test, the user's own
// certificates (one of them the default encryption certificate), other people's as further
// recipients, and encrypted files made by the engine.
#pragma once

#include "CertList.h"
#include "DialogDriver.h"
#include "DigitalCertificate.h"
#include "EncryptionEngine.h"
#include "GuiTestEnv.h"
#include "People.h"
#include "RecordingPrompt.h"
#include "Settings.h"

#include <QtTest>

#include <openssl/x509v3.h>

#include <memory>
#include <string>

namespace yxtest {

// A data root and a recording prompt made fresh for each test function. The test class derives
// from QObject and this, and calls startTest() in init() and endTest() in cleanup().
class FreshGuiTest {
protected:
    void startTest() {
        m_env = std::make_unique<ScopedGuiEnv>();
        m_prompt = std::make_unique<RecordingPrompt>();
    }
    void endTest() {
        m_prompt.reset();
        m_env.reset();
    }

    std::unique_ptr<ScopedGuiEnv> m_env;
    std::unique_ptr<RecordingPrompt> m_prompt;
};

} // namespace yxtest

namespace enctest {

using namespace yxtest;

// The user's own certificates (personal store, with keys) and other people's.
struct Pki : yxtest::People {
    Issued me = person("张三", "zhangsan@example.cn", 1, KU_KEY_ENCIPHERMENT | KU_DIGITAL_SIGNATURE);
    Issued signer = person("张三签名", "", 2, KU_DIGITAL_SIGNATURE); // signing only
    Issued alice = person("李四", "lisi@example.cn", 3, KU_KEY_ENCIPHERMENT);
    Issued bob = person("王五", "", 4, KU_KEY_ENCIPHERMENT);
    Issued stranger = person("赵六", "", 5, KU_KEY_ENCIPHERMENT); // nobody holds it
};

inline void importPersonal(const Issued& who, const std::string& friendly = "") {
    QVERIFY(yxtest::addToStore("my", who, friendly.empty() ? std::nullopt : std::optional(friendly)));
}

inline void importOther(const Issued& who) {
    QVERIFY(yxtest::addToStore("other", who));
}

inline void setDefaultCert(const std::string& thumb) {
    QVERIFY(yx::settings::WriteProfileString("DefaultEncCert", "CertHash", thumb));
}

// `who` into the personal store as the default encryption certificate.
inline void importDefault(const Issued& who) {
    importPersonal(who);
    setDefaultCert(thumbOf(who));
}

// Encrypts `source` into `target` with the engine alone (no dialogs, no message) for these
// certificates; 0 on success.
inline int encryptFor(const std::string& source, const std::string& target,
                      const std::vector<const Issued*>& to, const std::string& password = "") {
    std::vector<std::unique_ptr<CDigitalCertificate>> certs;
    CCertList list;
    for (const Issued* who : to) {
        certs.push_back(std::make_unique<CDigitalCertificate>(yx::CertContext::fromX509(who->cert.get())));
        list.Add(certs.back().get(), false);
    }
    yx::kvx::EncryptJob job;
    job.source = source;
    job.target = target;
    job.certificates = &list;
    job.password = password;
    job.quiet = true;
    yx::kvx::CEncryptionEngine engine(nullptr, nullptr);
    return engine.encrypt(job);
}

inline Bytes patternBytes(size_t n, unsigned seed = 7) {
    Bytes b(n);
    unsigned x = seed;
    for (auto& c : b) {
        x = x * 1103515245u + 12345u;
        c = static_cast<unsigned char>(x >> 16);
    }
    return b;
}

inline bool exists(const std::string& path) {
    return QFileInfo::exists(q(path));
}

// The test PKI, made once in initTestCase(), beside the fresh data root and prompt of each test
// (startTest() in init(), endTest() in cleanup()).
class EncTestBase : public yxtest::FreshGuiTest {
protected:
    std::string dir() const { return s(m_env->root()); }
    std::string path(const std::string& name) const { return dir() + "/" + name; }

    std::unique_ptr<Pki> m_pki;
};

} // namespace enctest
