// The web page behind the lifecycle page's browser. It keeps the registration authority's site
// inside the program and sends everything else to the desktop's browser: links to other sites and
// new windows (target=_blank, window.open). It also reports the completed navigations of the frames
// inside the site, which the web engine's own load signals leave out: a small script runs in an
// isolated world of every frame once its document is ready and logs the frame's address with a
// marker that this page picks out of the console.
#pragma once

#include <QWebEnginePage>

namespace yx {

class SitePage : public QWebEnginePage {
    Q_OBJECT
public:
    explicit SitePage(QObject* parent = nullptr);

    // Whether a link to `target`, clicked on a page at `current`, stays inside the site: same
    // host and port (or the page shows nothing yet).
    static bool sameSite(const QUrl& current, const QUrl& target);

signals:
    // A document of the top frame (topFrame) or of a frame inside it is ready.
    void documentReady(const QUrl& url, bool topFrame);
    // The top frame is about to load `url` (a link, a form, back, forward, reload, a script).
    void topFrameNavigating(const QUrl& url);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                  const QString& sourceID) override;

private:
    void installFrameReporter();
};

} // namespace yx
