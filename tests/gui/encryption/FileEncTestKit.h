// What the file-encryption flows need in the data root: a personal certificate with its key set
// as the default encryption certificate, and other people's certificates as further recipients.
#pragma once

#include "CertStore.h"
#include "DialogDriver.h"
#include "DigitalCertificate.h"
#include "GuiTestEnv.h"
#include "People.h"
#include "RecordingPrompt.h"
#include "Settings.h"

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

// A CA and the people of the tests. Call inside a data root (YAOXIA_HOME set).
class FileEncPeople {
public:
    // The user's own certificate, with key, in the personal store; made the default encryption
    // certificate when `makeDefault`. Returns its thumbprint text.
    std::string addOwnCertificate(const std::string& cn, const std::string& email, bool makeDefault = true) {
        const Issued own = m_ca.issue({.cn = cn, .email = email, .keyIndex = 1});
        const std::string thumb = thumbOf(own);
        if (!addToStore("my", own) ||
            (makeDefault && !yx::settings::WriteProfileString("DefaultEncCert", "CertHash", thumb)))
            qFatal("cannot fill the personal store");
        return thumb;
    }

    // Someone else's certificate (no key) in the other-people store.
    void addOtherPerson(const std::string& cn, const std::string& email, int keyIndex = 2) {
        if (!addToStore("other", m_ca.issue({.cn = cn, .email = email, .keyIndex = keyIndex})))
            qFatal("cannot fill the other-people store");
    }

private:
    TestCa m_ca{"文件加密测试CA", 0};
};

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
