// What the lifecycle page needs from the browser that shows the registration authority's site:
// navigate, back, forward, refresh, and events for completed navigations (frames inside the site
// included), the back/forward state, the context menu and downloads. The embedded web engine
// provides it; a build without the web engine uses a stand-in that sends the user to the desktop's
// browser instead.
#pragma once

#include <QUrl>
#include <QWidget>

namespace yx {

class SiteBrowser : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    virtual void navigate(const QUrl& url) = 0;
    virtual void goBack() = 0;
    virtual void goForward() = 0;
    virtual void refresh() = 0;
    virtual QUrl currentUrl() const = 0;

signals:
    // A navigation has completed, of the site or of a frame inside it. A navigation that failed
    // (the site cannot be reached) completes too, with the URL that was asked for.
    void navigationCompleted(const QUrl& url);
    // Whether back and forward can go anywhere now; sent when either changes.
    void historyStateChanged(bool canGoBack, bool canGoForward);
    // The user asked for a context menu inside the site (the browser's own menu is not shown).
    void contextMenuRequested(const QPoint& globalPos);
    // A download the site started: its progress (total -1 when unknown) and its end.
    void downloadProgress(const QString& fileName, qint64 received, qint64 total);
    void downloadFinished(const QString& path, bool succeeded);
};

// The browser of this build: the embedded web engine, or the stand-in.
SiteBrowser* createSiteBrowser(QWidget* parent);

} // namespace yx
