// Shared by the file-encryption dialog tests: certificates in the stores, encrypted files made by
// the engine, driving modal dialogs by their ids, and a prompt that notes the thread of each call.
#pragma once

#include "CertList.h"
#include "CertStore.h"
#include "DigitalCertificate.h"
#include "EncryptionEngine.h"
#include "GuiTestEnv.h"
#include "RecordingPrompt.h"
#include "Settings.h"
#include "TestPki.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <openssl/x509v3.h>

#include <functional>
#include <memory>
#include <string>

namespace enctest {

using yxtest::Bytes;
using yxtest::Issued;

inline QString q(const std::string& s) {
    return QString::fromStdString(s);
}
inline std::string s(const QString& text) {
    return text.toStdString();
}

// A recording prompt that also notes whether each message was shown on the UI thread.
class ThreadNotingPrompt : public yxtest::RecordingPrompt {
public:
    yx::MsgAnswer message(const std::string& text, const std::string& caption, yx::MsgIcon icon,
                          yx::MsgButtons buttons, void* owner) override {
        if (QThread::currentThread() != qApp->thread())
            ++offUiThread;
        else if (beforeMessage)
            beforeMessage();
        return RecordingPrompt::message(text, caption, icon, buttons, owner);
    }
    bool openWithDesktop(const std::string& path) override {
        if (QThread::currentThread() != qApp->thread())
            ++offUiThread;
        return RecordingPrompt::openWithDesktop(path);
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& m : messages)
            out.push_back(m.text);
        return out;
    }
    int offUiThread = 0;
    std::function<void()> beforeMessage; // runs on the UI thread as a message is shown
};

// The control with this id; the test stops when it is missing.
template <class T = QWidget> T* control(QWidget* dialog, int id) {
    T* w = dialog->findChild<T*>(QString::number(id));
    if (!w)
        qFatal("control %d missing in %s", id, qPrintable(dialog->objectName()));
    return w;
}

inline void typeInto(QWidget* dialog, int id, const QString& text) {
    QLineEdit* edit = control<QLineEdit>(dialog, id);
    edit->setFocus();
    edit->selectAll();
    edit->del();
    edit->insert(text); // as an input method commits Chinese text
}

inline void click(QWidget* dialog, int id) {
    QAbstractButton* button = control<QAbstractButton>(dialog, id);
    QVERIFY2(button->isEnabled(), qPrintable(QStringLiteral("button %1 is disabled").arg(id)));
    QTest::mouseClick(button, Qt::LeftButton);
}

// Runs `act` on the next modal dialog with this object name once it shows (polling the modal
// stack, as the dialog is run by code under test). Gives up after `timeoutMs`.
inline void onModal(const QString& objectName, std::function<void(QDialog*)> act, int timeoutMs = 20000) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, objectName, act, timeoutMs] {
        QWidget* w = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<QDialog*>(w);
        if (dialog && dialog->objectName() == objectName && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            qWarning("no modal dialog %s appeared", qPrintable(objectName));
        }
    });
    timer->start(10);
}

// The test PKI: the user's own certificates (personal store, with keys) and other people's.
struct Pki {
    yxtest::TestCa ca{"钥匣测试根CA", 0};
    Issued me;     // encryption and signing
    Issued signer; // the user's signing-only certificate
    Issued alice;  // other people
    Issued bob;
    Issued stranger; // nobody holds it

    Pki() {
        me = ca.issue(profile("张三", "zhangsan@example.cn", KU_KEY_ENCIPHERMENT | KU_DIGITAL_SIGNATURE, 1));
        signer = ca.issue(profile("张三签名", "", KU_DIGITAL_SIGNATURE, 2));
        alice = ca.issue(profile("李四", "lisi@example.cn", KU_KEY_ENCIPHERMENT, 3));
        bob = ca.issue(profile("王五", "", KU_KEY_ENCIPHERMENT, 4));
        stranger = ca.issue(profile("赵六", "", KU_KEY_ENCIPHERMENT, 5));
    }
    static yxtest::CertProfile profile(const std::string& cn, const std::string& email, int ku, int key) {
        yxtest::CertProfile sp;
        sp.cn = cn;
        sp.email = email;
        sp.keyUsage = ku;
        sp.keyIndex = key;
        return sp;
    }
};

inline std::string thumbOf(const Issued& who) {
    CDigitalCertificate cert(yx::CertContext::fromX509(who.cert.get()));
    std::string t;
    cert.getThumbPrint(t);
    return t;
}

// Imports the certificate with its key into the personal store through a PFX file.
inline void importPersonal(const Issued& who, const std::string& dir, const std::string& friendly = "") {
    const Bytes pfx = yxtest::makePfx(who.key.get(), who.cert.get(), {}, "pfx-pw", yxtest::PfxKind::TripleDes,
                                      friendly.empty() ? std::nullopt : std::optional<std::string>(friendly));
    const std::string path = yxtest::writeFile(dir, thumbOf(who).substr(0, 8) + ".pfx", pfx);
    CMyCertStore my;
    QCOMPARE(my.ImportP12(nullptr, path.c_str(), "pfx-pw"), 0);
}

inline void importOther(const Issued& who, const std::string& dir) {
    const std::string path = yxtest::writeFile(dir, thumbOf(who).substr(0, 8) + ".cer", who.der());
    COtherCertStore other;
    QCOMPARE(other.ImportCert(path.c_str()), 0);
}

inline void setDefaultCert(const std::string& thumb) {
    QVERIFY(yx::settings::WriteProfileString("DefaultEncCert", "CertHash", thumb));
}

inline std::string defaultCertSetting() {
    return yx::settings::GetProfileString("DefaultEncCert", "CertHash", "");
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

// The set-up the encryption dialog tests share: the test PKI, made once in initTestCase(), and
// for each test a data root of its own and a prompt that notes threads. A test class derives
// from QObject and this.
class EncTestBase {
protected:
    // A fresh data root and prompt; false when the data root could not be made.
    bool setUpEnv() {
        m_env = std::make_unique<yxtest::ScopedGuiEnv>();
        if (!m_env->isValid())
            return false;
        m_prompt = std::make_unique<ThreadNotingPrompt>();
        return true;
    }
    void tearDown() {
        m_prompt.reset();
        m_env.reset();
    }

    std::string dir() const { return s(m_env->root()); }
    std::string path(const std::string& name) const { return dir() + "/" + name; }

    std::unique_ptr<Pki> m_pki;
    std::unique_ptr<yxtest::ScopedGuiEnv> m_env;
    std::unique_ptr<ThreadNotingPrompt> m_prompt;
};

} // namespace enctest
