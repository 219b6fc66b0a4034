// The lifecycle page showing a registration site served on 127.0.0.1, and the help's start page
// in the page's browser.
#include "Shots.h"

#include "HttpTestServer.h"
#include "Settings.h"
#include "pages/LifecyclePage.h"
#include "pages/SiteBrowser.h"
#include "shell/FrameCommands.h"
#include "shell/MainFrame.h"

#include <QSignalSpy>
#include <QTest>
#include <QUrl>

namespace {

constexpr int kWaitMs = 20000;

// Waits until the browser completed a navigation to `url`.
bool waitCompleted(QSignalSpy& completed, const QUrl& url) {
    return QTest::qWaitFor(
        [&] {
            for (const QList<QVariant>& args : completed)
                if (args.at(0).toUrl() == url)
                    return true;
            return false;
        },
        kWaitMs);
}

} // namespace

YX_SHOTS(lifecycle) {
    yxtest::HttpTestServer server;
    const QString site = QStringLiteral(
        "<!DOCTYPE html><html><head><meta charset='utf-8'><title>RA</title></head><body>"
        "<div style='font-family:sans-serif;padding:16px'><h2 style='color:#1c4f9c'>证书注册服务中心</h2>"
        "<ul><li><a href='#'>申请证书</a></li><li><a href='#'>更新证书</a></li><li><a href='#'>吊销证书</a>"
        "</li><li><a href='#'>下载CA证书</a></li></ul></div></body></html>");
    server.setBody("/ra/index.html", site.toStdString());
    server.setContentType("/ra/index.html", "text/html; charset=utf-8");
    const std::string home = server.url("/ra/index.html");
    yx::settings::WriteProfileString("ServiceURL\\00000001", "Value", home);
    yx::settings::WriteProfileString("ServiceURL\\00000001", "Description", "岚川证书注册中心");
    yx::settings::WriteProfileString("ServiceURL", "Default", "00000001");

    yx::MainFrame frame;
    yx::installFrameCommands(frame);
    auto* page = qobject_cast<yx::LifecyclePage*>(frame.page(yx::kPageLifecycle));
    QSignalSpy completed(page->browser(), &yx::SiteBrowser::navigationCompleted);
    frame.show();
    if (!waitCompleted(completed, QUrl(QString::fromStdString(home))))
        qWarning("the site did not load");
    frame.showNormal();
    frame.resize(760, 540);
    QTest::qWait(1000); // the engine paints after the load
    shots.save(&frame, QStringLiteral("lifecycle-page"));

    const QUrl help = QUrl::fromLocalFile(QStringLiteral(YAOXIA_SOURCE_DIR "/data/help/index.html"));
    page->browser()->navigate(help);
    if (!waitCompleted(completed, help))
        qWarning("the help did not load");
    frame.resize(900, 680);
    QTest::qWait(1000);
    shots.save(page->browser(), QStringLiteral("help-start-page"));
}
