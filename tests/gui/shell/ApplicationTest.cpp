// Start-up of the interactive program: application settings, the frame commands that open
// other parts' dialogs, F1.
#include "shell/Application.h"
#include "GuiTestEnv.h"
#include "RecordingPrompt.h"
#include "ResourceIds.h"
#include "ShellHelpers.h"
#include "shell/MainFrame.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QtTest>

using namespace yx;

namespace {

// Notes the class of every dialog that opens and cancels it.
class DialogCatcher : public QObject {
public:
    DialogCatcher() {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* d = qobject_cast<QDialog*>(w);
                if (d && d->isVisible()) {
                    seen << QString::fromLatin1(d->metaObject()->className());
                    d->reject();
                }
            }
        });
        m_timer.start(30);
    }
    QStringList seen;

private:
    QTimer m_timer;
};

} // namespace

class ApplicationTest : public QObject {
    Q_OBJECT
private slots:
    void setUpKeepsTheProgramRunningWithoutWindows();
    void frameCommandsOpenTheirDialogs();
    void f1OpensTheHelpFile();
};

void ApplicationTest::setUpKeepsTheProgramRunningWithoutWindows() {
    setUpApplication();
    QVERIFY(!QGuiApplication::quitOnLastWindowClosed());
    // Captions stay exactly the program's: no display name for Qt to append to them.
    QVERIFY(QGuiApplication::applicationDisplayName() == QCoreApplication::applicationName());
    // Qt's own chrome speaks Chinese.
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    QVERIFY(!QGuiApplication::windowIcon().isNull());
}

void ApplicationTest::frameCommandsOpenTheirDialogs() {
    yxtest::ScopedGuiEnv env;
    yxtest::RecordingPrompt prompt;
    ShellApp app;
    QVERIFY(!app.initInstance({}).has_value());
    MainFrame* frame = app.frame();
    QVERIFY(frame);
    DialogCatcher catcher;
    QVERIFY(frame->onCommand(res::ID_CONFIG));
    QCOMPARE(catcher.seen, QStringList{QStringLiteral("CConfigDialog")});
    QVERIFY(frame->onCommand(res::ID_CHANGE_BACKUP_PASSWORD));
    QCOMPARE(catcher.seen.size(), 2);
    QCOMPARE(catcher.seen[1], QStringLiteral("CDlgChangeBackupPassword"));
    QVERIFY(frame->onCommand(res::ID_APP_ABOUT));
    QCOMPARE(catcher.seen.size(), 3);
    QCOMPARE(catcher.seen[2], QStringLiteral("yx::AboutDialog"));
}

void ApplicationTest::f1OpensTheHelpFile() {
    yxtest::ScopedGuiEnv env;
    yxtest::RecordingPrompt prompt;
    ShellApp app;
    QVERIFY(!app.initInstance({}).has_value());
    QVERIFY(QTest::qWaitForWindowExposed(app.frame()));
    app.frame()->activateWindow();
    QTRY_VERIFY(app.frame()->isActiveWindow());
    QTest::keyClick(app.frame(), Qt::Key_F1);
    QTRY_COMPARE(prompt.opened.size(), size_t(1));
    QCOMPARE(prompt.opened[0], helpFilePath());
}

QTEST_MAIN(ApplicationTest)
#include "ApplicationTest.moc"
