// The lifecycle page against sites served on 127.0.0.1: the window state each completed
// navigation sets (frames and unreachable sites included), the back/forward state, the
// configuration dialog's OK and Cancel, links that leave the site, and a certificate download
// offered for import.
#include "pages/LifecyclePage.h"
#include "CertStore.h"
#include "DataPaths.h"
#include "DialogDriver.h"
#include "GuiTestEnv.h"
#include "HttpTestServer.h"
#include "MenuResources.h"
#include "RecordingPrompt.h"
#include "ResourceIds.h"
#include "Settings.h"
#include "SlapdFixture.h"
#include "TestPki.h"
#include "config/ConfigDialogIds.h"
#include "dialogs/DialogIds.h"
#include "pages/SiteBrowser.h"
#include "shell/FrameCommands.h"
#include "shell/MainFrame.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <QWebEngineView>
#include <QtTest>

#include <memory>

using namespace yx;
using yxtest::HttpTestServer;

namespace {

constexpr int kWaitMs = 20000;

QString html(const QString& body) {
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset='utf-8'><title>RA</title></head>"
                          "<body>%1</body></html>")
        .arg(body);
}

void serveHtml(HttpTestServer& server, const std::string& path, const QString& page) {
    server.setBody(path, page.toStdString());
    server.setContentType(path, "text/html; charset=utf-8");
}

// The default RA site of the settings is `url` (site key 1), and `other` is site 2.
void setSites(const std::string& url, const std::string& other = "") {
    settings::WriteProfileString("ServiceURL\\00000001", "Value", url);
    settings::WriteProfileString("ServiceURL\\00000001", "Description", "RA 1");
    if (!other.empty()) {
        settings::WriteProfileString("ServiceURL\\00000002", "Value", other);
        settings::WriteProfileString("ServiceURL\\00000002", "Description", "RA 2");
    }
    settings::WriteProfileString("ServiceURL", "Default", "00000001");
}

bool menuItemEnabled(MainFrame& frame, int id) {
    QAction* action = menus::findCommand(frame.menuAt(res::kMenuPosOperations), id);
    return action && action->isEnabled();
}

} // namespace

class LifecyclePageTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_env = std::make_unique<yxtest::ScopedGuiEnv>();
        // Downloads go to the download folder under the (private) home.
        qputenv("HOME", m_env->root().toUtf8());
        qputenv("XDG_CONFIG_HOME", (m_env->root() + QStringLiteral("/.config")).toUtf8());
        m_prompt = std::make_unique<yxtest::RecordingPrompt>();
        m_server = std::make_unique<HttpTestServer>();
        serveHtml(*m_server, "/home.html",
                  html(QStringLiteral("<h1>home</h1><a id='next' href='/next.html'>next</a>")));
        serveHtml(*m_server, "/next.html", html(QStringLiteral("<h1>next</h1>")));
    }

    void cleanup() {
        m_completed.reset();
        m_frame.reset();
        m_server.reset();
        m_prompt.reset();
        m_env.reset();
    }

    void windowStateFollowsEveryCompletedNavigation_data() {
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("frame"); // served as a frame of `top`, empty for none
        QTest::addColumn<bool>("normal");   // else maximised
        QTest::newRow("plain") << "/ra/index.html" << QString() << false;
        QTest::newRow("mini") << "/ra/mini/index.html" << QString() << true;
        QTest::newRow("mini frame last") << "/ra/frames.html" << QStringLiteral("/ra/mini-menu.html") << true;
        QTest::newRow("plain frame last")
            << "/ra/mini-frames.html" << QStringLiteral("/ra/body.html") << false;
        QTest::newRow("unreachable") << QString() << QString() << false;
        QTest::newRow("unreachable mini") << "mini" << QString() << true;
    }

    void windowStateFollowsEveryCompletedNavigation() {
        QFETCH(QString, top);
        QFETCH(QString, frame);
        QFETCH(bool, normal);

        std::string url;
        if (top.startsWith(QLatin1Char('/'))) {
            const QString body = frame.isEmpty()
                                     ? html(QStringLiteral("<p>site</p>"))
                                     : html(QStringLiteral("<iframe src='%1'></iframe>").arg(frame));
            serveHtml(*m_server, top.toStdString(), body);
            if (!frame.isEmpty())
                serveHtml(*m_server, frame.toStdString(), html(QStringLiteral("<p>frame</p>")));
            url = m_server->url(top.toStdString());
        } else {
            url = "http://127.0.0.1:" + std::to_string(yxtest::closedPort()) + "/" + top.toStdString();
        }
        showFrame(m_server->url("/home.html"));
        QTRY_VERIFY_WITH_TIMEOUT(m_frame->isMaximized(), kWaitMs);
        // Start from the other state, so the expected one is the navigation's doing.
        if (!normal)
            m_frame->showNormal();
        QSignalSpy completed(page()->browser(), &SiteBrowser::navigationCompleted);
        setSites(url);
        page()->onCommand(res::ID_BROWSER_HOME);
        const QString last = frame.isEmpty() ? QString::fromStdString(url)
                                             : QString::fromStdString(m_server->url(frame.toStdString()));
        QTRY_VERIFY_WITH_TIMEOUT(!completed.isEmpty() && completed.last().at(0).toUrl() == QUrl(last),
                                 kWaitMs);
        QCOMPARE(m_frame->isMaximized(), !normal);
        QVERIFY(m_frame->isVisible());
    }

    void backAndForwardFollowTheHistory() {
        showFrame(m_server->url("/home.html"));
        QVERIFY(!menuItemEnabled(*m_frame, res::ID_BROWSER_BACK));
        QVERIFY(!menuItemEnabled(*m_frame, res::ID_BROWSER_FORWARD));

        const struct {
            int command; // 0: go to the next page
            bool back, forward;
        } steps[] = {
            {0, true, false}, {res::ID_BROWSER_BACK, false, true}, {res::ID_BROWSER_FORWARD, true, false}};
        for (const auto& step : steps) {
            if (step.command)
                m_frame->onCommand(step.command);
            else
                page()->browser()->navigate(QUrl(QString::fromStdString(m_server->url("/next.html"))));
            QTRY_COMPARE_WITH_TIMEOUT(menuItemEnabled(*m_frame, res::ID_BROWSER_BACK), step.back, kWaitMs);
            QTRY_COMPARE_WITH_TIMEOUT(menuItemEnabled(*m_frame, res::ID_BROWSER_FORWARD), step.forward,
                                      kWaitMs);
        }
    }

    void configurationOkGoesToTheNewSiteAtOnce_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }

    void configurationOkGoesToTheNewSiteAtOnce() {
        QFETCH(bool, ok);
        showFrame(m_server->url("/home.html"));
        setSites(m_server->url("/home.html"), m_server->url("/next.html"));
        const QUrl home(QString::fromStdString(m_server->url("/home.html")));

        yxtest::ModalScript script;
        script.on(res::IDD_CONFIG, [ok](QDialog* dialog) {
            dialog->findChild<QComboBox*>(QString::number(res::IDC_RA_SITE_LIST))->setCurrentIndex(1);
            ok ? dialog->accept() : dialog->reject();
        });
        m_frame->onCommand(res::ID_CONFIG);
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
        if (ok) {
            QTRY_VERIFY_WITH_TIMEOUT(completedAt(m_server->url("/next.html")), kWaitMs);
        } else {
            QTest::qWait(500);
            QCOMPARE(m_server->requestCount("/next.html"), 0);
            QCOMPARE(page()->browser()->currentUrl(), home);
        }
    }

    void linksLeavingTheSiteOpenInTheDesktopBrowser() {
        const std::string other = "http://localhost:" + std::to_string(m_server->port()) + "/next.html";
        serveHtml(*m_server, "/links.html",
                  html(QStringLiteral("<a id='other' href='%1'>other site</a><a id='blank' target='_blank' "
                                      "href='/next.html'>new window</a>")
                           .arg(QString::fromStdString(other))));
        showFrame(m_server->url("/links.html"));
        const QUrl links(QString::fromStdString(m_server->url("/links.html")));

        const struct {
            const char* link;
            std::string opened;
        } cases[] = {{"other", other}, {"blank", m_server->url("/next.html")}};
        for (const auto& c : cases) {
            m_prompt->opened.clear();
            view()->page()->runJavaScript(
                QStringLiteral("document.getElementById('%1').click()").arg(QLatin1String(c.link)));
            QTRY_COMPARE_WITH_TIMEOUT(m_prompt->opened.size(), size_t(1), kWaitMs);
            QCOMPARE(m_prompt->opened[0], c.opened);
            QCOMPARE(page()->browser()->currentUrl(), links);
        }
    }

    void downloadedCertificateIsOfferedForImport() {
        yxtest::TestCa ca;
        const yxtest::Bytes der = ca.der();
        m_server->setBody("/ca.cer", der);
        m_server->setContentType("/ca.cer", "application/octet-stream");
        showFrame(m_server->url("/home.html"));

        QString prefilled;
        yxtest::ModalScript script;
        script.on(res::IDD_IMPORT_CERT, [&prefilled](QDialog* dialog) {
            prefilled = dialog->findChild<QLineEdit*>()->text();
            dialog->accept();
        });
        page()->browser()->navigate(QUrl(QString::fromStdString(m_server->url("/ca.cer"))));
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));

        const QString saved = QString::fromStdString(yx::paths::downloadDir() + "/ca.cer");
        QCOMPARE(prefilled, saved);
        QCOMPARE(yxtest::readFile(saved.toStdString()), der);
        QVERIFY(!m_prompt->messages.empty());
        QCOMPARE(m_prompt->messages.front().buttons, MsgButtons::YesNo);
        CCaCertStore caStore;
        QCOMPARE(caStore.OpenCertStore(), 0);
        QCOMPARE(caStore.GetCertCount(), 1);
    }

private:
    void showFrame(const std::string& home) {
        setSites(home);
        m_frame = std::make_unique<MainFrame>();
        installFrameCommands(*m_frame);
        m_completed = std::make_unique<QSignalSpy>(page()->browser(), &SiteBrowser::navigationCompleted);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        QTRY_VERIFY_WITH_TIMEOUT(completedAt(home), kWaitMs);
    }
    // Whether a navigation to `url` has completed since the frame was shown.
    bool completedAt(const std::string& url) const {
        for (const QList<QVariant>& args : *m_completed)
            if (args.at(0).toUrl() == QUrl(QString::fromStdString(url)))
                return true;
        return false;
    }
    LifecyclePage* page() const { return qobject_cast<LifecyclePage*>(m_frame->page(kPageLifecycle)); }
    QWebEngineView* view() const { return page()->browser()->findChild<QWebEngineView*>(); }

    std::unique_ptr<yxtest::ScopedGuiEnv> m_env;
    std::unique_ptr<yxtest::RecordingPrompt> m_prompt;
    std::unique_ptr<HttpTestServer> m_server;
    std::unique_ptr<MainFrame> m_frame;
    std::unique_ptr<QSignalSpy> m_completed; // the lifecycle browser's completed navigations
};

QTEST_MAIN(LifecyclePageTest)
#include "LifecyclePageTest.moc"
