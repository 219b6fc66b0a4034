// One interactive instance per user session: the hand-over between two starts (in this process and
// between two real processes of the program) and a killed instance whose socket is left over.
#include "shell/SingleInstance.h"
#include "GuiTestEnv.h"

#include <QApplication>
#include <QLocalSocket>
#include <QtTest>

#include <unistd.h>

using namespace yx;

namespace {

bool acceptsConnections(const QString& name) {
    QLocalSocket s;
    s.connectToServer(name);
    const bool ok = s.waitForConnected(300);
    s.abort();
    return ok;
}

bool waitUntilListening(const QString& name, int ms) {
    return QTest::qWaitFor([&] { return acceptsConnections(name); }, ms);
}

QProcess* startProgram(QObject* parent, const QStringList& args = {}) {
    auto* p = new QProcess(parent);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p->setProcessEnvironment(env); // YAOXIA_HOME and XDG_RUNTIME_DIR come from ScopedGuiEnv
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(QStringLiteral(YAOXIA_APP_PATH), args);
    return p;
}

void stop(QProcess* p) {
    if (p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(5000);
    }
}

} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void secondClaimHandsOverToTheFirst() {
        yxtest::ScopedGuiEnv env;
        SingleInstance first;
        QVERIFY(first.claim());
        QVERIFY(first.isListening());
        QSignalSpy asked(&first, &SingleInstance::activationRequested);
        // A later start, as SingleInstance::claim() talks to the first (claim() itself would block
        // this thread, which is the one that has to answer).
        QLocalSocket second;
        second.connectToServer(SingleInstance::serverName());
        QVERIFY(second.waitForConnected(2000));
        second.write(SingleInstance::activateRequest());
        QVERIFY(second.waitForBytesWritten(2000));
        QTRY_COMPARE(asked.count(), 1);
        QTRY_VERIFY(second.bytesAvailable() > 0 || second.waitForReadyRead(100));
        QCOMPARE(second.readAll(), SingleInstance::activateReply());

        // A connection that asks nothing (a probe) activates nothing.
        QVERIFY(acceptsConnections(SingleInstance::serverName()));
        QTest::qWait(100);
        QCOMPARE(asked.count(), 1);
    }

    void twoProcessesOfTheProgram() {
        yxtest::ScopedGuiEnv env;
        const QString name = SingleInstance::serverName();
        QProcess* first = startProgram(this);
        QVERIFY(first->waitForStarted(5000));
        QVERIFY2(waitUntilListening(name, 20000), "the first start listens");

        QProcess* second = startProgram(this);
        QVERIFY(second->waitForStarted(5000));
        QVERIFY2(second->waitForFinished(20000), "the second start ends by itself");
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);

        // The first instance answers activation requests: it is the one that took the hand-over.
        QVERIFY(SingleInstance::notifyRunningInstance(name, 5000));

        // A start with another data root is a separate instance.
        {
            yxtest::ScopedGuiEnv other;
            QProcess* third = startProgram(this);
            QVERIFY(third->waitForStarted(5000));
            QVERIFY(waitUntilListening(SingleInstance::serverName(), 20000));
            QCOMPARE(third->state(), QProcess::Running);
            stop(third);
        }
        stop(first);
    }

    void killedInstanceDoesNotBlockTheNextStart() {
        yxtest::ScopedGuiEnv env;
        const QString name = SingleInstance::serverName();
        QProcess* first = startProgram(this);
        QVERIFY(waitUntilListening(name, 20000));
        stop(first); // SIGKILL: the socket file stays
        QVERIFY(QFileInfo::exists(name));
        QVERIFY(!acceptsConnections(name));

        QProcess* next = startProgram(this); // takes the leftover socket over
        QVERIFY(waitUntilListening(name, 20000));
        QTest::qWait(300);
        QCOMPARE(next->state(), QProcess::Running);
        QCOMPARE(QFileInfo(name).ownerId(), ::getuid());
        stop(next);
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
