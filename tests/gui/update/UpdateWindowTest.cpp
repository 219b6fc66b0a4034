// The online update in the desktop program, against a loopback update server: the start-up check
// and the menu command decide between window, message and silence; the window downloads on its
// worker, keeps only a verified file, and can be cancelled.
#include "update/UpdateWindow.h"
#include "DataPaths.h"
#include "GuiTestEnv.h"
#include "RecordingPrompt.h"
#include "ResourceIds.h"
#include "SafeFile.h"
#include "Settings.h"
#include "UpdateResult.h"
#include "UpdateServerKit.h"
#include "pages/Page.h"
#include "shell/MainFrame.h"
#include "update/UpdateController.h"

#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace yx;

namespace {

class BlankPage : public Page {
public:
    BlankPage(int index, QWidget* parent) : Page(index, 900 + index, parent) {}

protected:
    QMenu* createOperationsMenu() override { return new QMenu; }
};

// A main frame with the update installed, a data root, a recording prompt and a loopback server
// that publishes releases signed with a key made for the test. Running version 1.0.0.
struct UpdateScene {
    UpdateScene() : frame([](int i, QWidget* p) { return new BlankPage(i, p); }) {
        UpdateSetup setup;
        setup.key = signer.publicKey();
        setup.options = {300, 1500, "1.0.0"};
        controller = installUpdateCommands(frame, setup);
    }
    // Waits for the running check (if any) to report.
    bool checkEnds(QSignalSpy& spy) { return !spy.isEmpty() || spy.wait(10000); }
    // The window a check on request opens (null when none).
    UpdateWindow* checkForWindow() {
        QSignalSpy ended(controller, &UpdateController::checkEnded);
        frame.onCommand(res::ID_CHECK_UPDATE);
        return checkEnds(ended) ? controller->window() : nullptr;
    }

    yxtest::ScopedGuiEnv env;
    yxtest::RecordingPrompt prompt;
    yxtest::ReleaseSigner signer;
    yxtest::UpdateServer server;
    MainFrame frame;
    UpdateController* controller = nullptr;
};

const std::string kPayload(300000, 'r');

} // namespace

class UpdateWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startUpCheck_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("published");
        QTest::addColumn<int>("requests");
        QTest::addColumn<bool>("window");
        QTest::newRow("on, newer") << "1" << QStringLiteral("9.0.0") << 1 << true;
        QTest::newRow("on, no update") << "1" << QStringLiteral("1.0.0") << 1 << false;
        QTest::newRow("off") << "0" << QStringLiteral("9.0.0") << 0 << false;
        QTest::newRow("missing") << "" << QStringLiteral("9.0.0") << 0 << false;
    }

    void startUpCheck() {
        QFETCH(QString, setting);
        QFETCH(QString, published);
        QFETCH(int, requests);
        QFETCH(bool, window);
        UpdateScene s;
        if (!setting.isEmpty())
            settings::WriteProfileString("UpdateConfig", "StartUpCheckNew", setting.toStdString());
        s.server.publish(s.signer, published.toStdString(), kPayload, "修复了若干问题");
        QSignalSpy ended(s.controller, &UpdateController::checkEnded);
        s.frame.show();
        if (requests > 0)
            QVERIFY(s.checkEnds(ended));
        else
            QTest::qWait(200);
        // A second show (from the tray) does not check again.
        s.frame.hide();
        s.frame.show();
        QTest::qWait(100);
        QCOMPARE(s.server.manifestRequests(), requests);
        QCOMPARE(s.controller->window() != nullptr, window);
        QCOMPARE(s.frame.isMinimized(), window);
        QVERIFY(s.prompt.messages.empty());
        if (requests > 0)
            QCOMPARE(settings::GetProfileString("UpdateConfig", "CurrentOperation"), std::string("1"));
    }

    void checkOnRequest_data() {
        // Each failure the check can give is UpdateCheckTest's; one stands for all here.
        QTest::addColumn<int>("kind"); // 0 newer, 1 no update, 3 silent server
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("window");
        QTest::addColumn<int>("icon"); // icon of the one message, -1 for none
        QTest::newRow("newer") << 0 << update::kUpdateAvailable << true << -1;
        QTest::newRow("no update") << 1 << update::kNoUpdate << false << int(MsgIcon::Information);
        QTest::newRow("silent server") << 3 << update::kNoAnswer << false << int(MsgIcon::Error);
    }

    void checkOnRequest() {
        QFETCH(int, kind);
        QFETCH(int, result);
        QFETCH(bool, window);
        QFETCH(int, icon);
        UpdateScene s;
        s.server.publish(s.signer, kind == 1 ? "0.9" : "9.0.0", kPayload);
        if (kind == 3)
            s.server.http.setMode(s.server.manifestPath(), yxtest::HttpTestServer::Mode::Silent);
        s.frame.show();
        QSignalSpy ended(s.controller, &UpdateController::checkEnded);
        QVERIFY(s.frame.onCommand(res::ID_CHECK_UPDATE));
        QVERIFY(s.checkEnds(ended));
        QCOMPARE(ended.first().first().toInt(), result);
        QCOMPARE(s.controller->window() != nullptr, window);
        QVERIFY(!s.frame.isMinimized());
        QCOMPARE(s.prompt.messages.size(), size_t(icon < 0 ? 0 : 1));
        if (icon >= 0)
            QCOMPARE(int(s.prompt.messages[0].icon), icon);
        if (kind == 1)
            QVERIFY(s.prompt.shown("没有可用的更新！"));
    }

    // The menu command given while the start-up check runs is answered by that check, as a request.
    void requestDuringStartUpCheck() {
        UpdateScene s;
        settings::WriteProfileString("UpdateConfig", "StartUpCheckNew", "1");
        s.server.publish(s.signer, "1.0.0", kPayload);
        QSignalSpy ended(s.controller, &UpdateController::checkEnded);
        s.frame.show();
        QVERIFY(s.controller->checking());
        QVERIFY(s.frame.onCommand(res::ID_CHECK_UPDATE));
        QVERIFY(s.checkEnds(ended));
        QCOMPARE(s.server.manifestRequests(), 1);
        QCOMPARE(s.prompt.messages.size(), size_t(1));
        QCOMPARE(int(s.prompt.messages[0].icon), int(MsgIcon::Information));
    }

    void download_data() {
        QTest::addColumn<bool>("intact");
        QTest::newRow("verified") << true;
        QTest::newRow("wrong SHA-256") << false;
    }

    void download() {
        QFETCH(bool, intact);
        UpdateScene s;
        s.server.publish(s.signer, "9.0.0", kPayload);
        if (!intact)
            s.server.http.setBody(yxtest::UpdateServer::kRelease, std::string(kPayload.size(), 'x'));
        UpdateWindow* w = s.checkForWindow();
        QVERIFY(w);
        QSignalSpy done(w, &UpdateWindow::downloadEnded);
        QTest::mouseClick(w->findChild<QPushButton*>("download"), Qt::LeftButton);
        QVERIFY(done.wait(10000));
        QCOMPARE(done.first().first().toInt(), intact ? 0 : update::kHashMismatch);
        const std::string saved = yx::paths::downloadDir() + "/yaoxia-9.0.0.tar.gz";
        QCOMPARE(fileExists(saved), intact);
        QCOMPARE(s.prompt.opened, intact ? std::vector<std::string>{saved} : std::vector<std::string>{});
        QCOMPARE(s.prompt.messages.size(), size_t(intact ? 0 : 1));
        QCOMPARE(w->findChild<QProgressBar*>("progress")->value(), intact ? 100 : 0);
    }

    void cancelDownload() {
        UpdateScene s;
        s.server.publish(s.signer, "9.0.0", kPayload);
        s.server.http.setMode(yxtest::UpdateServer::kRelease, yxtest::HttpTestServer::Mode::Silent);
        QPointer<UpdateWindow> w = s.checkForWindow();
        QVERIFY(w);
        QSignalSpy done(w.data(), &UpdateWindow::downloadEnded);
        QTest::mouseClick(w->findChild<QPushButton*>("download"), Qt::LeftButton);
        QVERIFY(w->downloading());
        QTest::mouseClick(w->findChild<QPushButton*>("close"), Qt::LeftButton); // now "取消"
        QVERIFY(done.wait(10000));
        QCOMPARE(done.first().first().toInt(), update::kCancelled);
        QVERIFY(w && w->isVisible()); // cancel stops the download, the window stays
        QVERIFY(s.prompt.messages.empty());
        // Closing during a download waits for the worker, then the window goes.
        QTest::mouseClick(w->findChild<QPushButton*>("download"), Qt::LeftButton);
        w->close();
        QTRY_VERIFY_WITH_TIMEOUT(w.isNull(), 10000);
    }
};

QTEST_MAIN(UpdateWindowTest)
#include "UpdateWindowTest.moc"
