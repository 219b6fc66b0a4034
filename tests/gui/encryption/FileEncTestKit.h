// What the file-encryption flows need in the data root: a personal certificate with its key set
// as the default encryption certificate, and other people's certificates as further recipients.
#pragma once

#include "CertStore.h"
#include "DigitalCertificate.h"
#include "GuiTestEnv.h"
#include "RecordingPrompt.h"
#include "Settings.h"
#include "TestPki.h"

#include <openssl/x509.h>

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QtTest>

#include <memory>
#include <string>

namespace yxtest {

inline std::string thumbprintOf(X509* x) {
    CDigitalCertificate cert(yx::CertContext::fromX509(x));
    std::string t;
    cert.getThumbPrint(t);
    return t;
}

// A CA and the people of the tests. Call inside a data root (YAOXIA_HOME set).
class FileEncPeople {
public:
    FileEncPeople() : m_ca("文件加密测试CA", 0) {}

    // The user's own certificate, with key, in the personal store; made the default encryption
    // certificate when `makeDefault`. Returns its thumbprint text.
    std::string addOwnCertificate(const std::string& cn, const std::string& email, bool makeDefault = true) {
        CertProfile profile;
        profile.cn = cn;
        profile.email = email;
        profile.keyIndex = 1;
        m_own = m_ca.issue(profile);
        auto backend = yx::makeDiskStoreBackend("my");
        if (!backend->add(m_own.der(), pkcs8Der(m_own.key.get()), std::nullopt, ""))
            qFatal("cannot fill the personal store");
        const std::string thumb = thumbprintOf(m_own.cert.get());
        if (makeDefault && !yx::settings::WriteProfileString("DefaultEncCert", "CertHash", thumb))
            qFatal("cannot write the default certificate");
        return thumb;
    }

    // Someone else's certificate (no key) in the other-people store.
    void addOtherPerson(const std::string& cn, const std::string& email, int keyIndex = 2) {
        CertProfile profile;
        profile.cn = cn;
        profile.email = email;
        profile.keyIndex = keyIndex;
        const Issued other = m_ca.issue(profile);
        auto backend = yx::makeDiskStoreBackend("other");
        if (!backend->add(other.der(), {}, std::nullopt, ""))
            qFatal("cannot fill the other-people store");
    }

private:
    TestCa m_ca;
    Issued m_own;
};

inline bool writeText(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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

// No modal dialog comes up within a while.
inline bool staysWithoutDialog(int ms = 300) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (QApplication::activeModalWidget())
            return false;
    }
    return true;
}

} // namespace yxtest
