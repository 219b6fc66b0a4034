#include "WebSiteBrowser.h"

#include "DataPaths.h"
#include "SitePage.h"

#include <QDir>
#include <QFileInfo>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace yx {

SiteBrowser* createSiteBrowser(QWidget* parent) {
    return new WebSiteBrowser(parent);
}

WebSiteBrowser::WebSiteBrowser(QWidget* parent) : SiteBrowser(parent) {
    m_view = new QWebEngineView(this);
    m_page = new SitePage(m_view);
    m_view->setPage(m_page);
    // Our context menu replaces the browser's own.
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    connect(m_view, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { emit contextMenuRequested(m_view->mapToGlobal(pos)); });
    connect(m_page, &SitePage::documentReady, this, &WebSiteBrowser::onDocumentReady);
    // A new load of the top frame waits for its own document again. The engine does not report
    // the start of every load, so each way one begins is taken.
    connect(m_page, &SitePage::topFrameNavigating, this, [this] { m_topDocumentReady = false; });
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] {
        m_topDocumentReady = false;
        updateHistoryState();
    });
    connect(m_page, &QWebEnginePage::loadingChanged, this, &WebSiteBrowser::onLoadingChanged);
    connect(m_page, &QWebEnginePage::urlChanged, this, &WebSiteBrowser::updateHistoryState);
    // Going back to a page kept in the engine's cache may change the history after the address.
    connect(m_page, &QWebEnginePage::titleChanged, this, &WebSiteBrowser::updateHistoryState);
    connect(m_page->profile(), &QWebEngineProfile::downloadRequested, this,
            &WebSiteBrowser::onDownloadRequested);
}

WebSiteBrowser::~WebSiteBrowser() {
    // The page goes before the view that shows it.
    m_view->setPage(nullptr);
    delete m_page;
}

void WebSiteBrowser::navigate(const QUrl& url) {
    m_topDocumentReady = false;
    // With no site configured the browser shows an empty page, which completes like any other.
    m_view->load(url.isEmpty() ? QUrl(QStringLiteral("about:blank")) : url);
}

void WebSiteBrowser::goBack() {
    m_view->back();
}

void WebSiteBrowser::goForward() {
    m_view->forward();
}

void WebSiteBrowser::refresh() {
    m_view->reload();
}

QUrl WebSiteBrowser::currentUrl() const {
    return m_page->url();
}

void WebSiteBrowser::onDocumentReady(const QUrl& url, bool topFrame) {
    if (topFrame)
        m_topDocumentReady = true;
    updateHistoryState();
    emit navigationCompleted(url);
}

void WebSiteBrowser::onLoadingChanged(const QWebEngineLoadingInfo& info) {
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        m_topDocumentReady = false;
        updateHistoryState();
        return;
    }
    updateHistoryState();
    // A load stopped, replaced by another or turned into a download has not completed; a load
    // that failed otherwise (the site cannot be reached) has.
    constexpr int kAborted = -3;
    if (info.status() == QWebEngineLoadingInfo::LoadStoppedStatus ||
        (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && info.errorCode() == kAborted))
        return;
    if (m_topDocumentReady)
        return;
    m_topDocumentReady = true;
    // A failed load may leave the engine's error page as the address: it completes as the one asked for.
    const QUrl shown = m_page->url();
    const QUrl url = shown.isEmpty() || shown.scheme().startsWith(QLatin1String("chrome"))
                         ? m_page->requestedUrl()
                         : shown;
    emit navigationCompleted(url);
}

void WebSiteBrowser::updateHistoryState() {
    const bool back = m_page->history()->canGoBack();
    const bool forward = m_page->history()->canGoForward();
    if (back == m_canGoBack && forward == m_canGoForward)
        return;
    m_canGoBack = back;
    m_canGoForward = forward;
    emit historyStateChanged(back, forward);
}

QString WebSiteBrowser::downloadFolder() {
    // The same folder as the online update's downloads (under YAOXIA_HOME when it is set).
    const std::string folder = paths::downloadDir();
    paths::ensureDir(folder);
    return QString::fromStdString(folder);
}

QString WebSiteBrowser::freePath(const QString& folder, const QString& fileName) {
    const QFileInfo info(fileName);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString path = QDir(folder).filePath(fileName);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir(folder).filePath(QStringLiteral("%1 (%2)%3").arg(base, QString::number(n), suffix));
    return path;
}

void WebSiteBrowser::onDownloadRequested(QWebEngineDownloadRequest* download) {
    // The profile is shared: every browser sees every download and takes only its own page's.
    if (!download || download->page() != m_page)
        return;
    const QString name =
        download->downloadFileName().isEmpty() ? QStringLiteral("download") : download->downloadFileName();
    const QString path = freePath(downloadFolder(), QFileInfo(name).fileName());
    download->setDownloadDirectory(QFileInfo(path).absolutePath());
    download->setDownloadFileName(QFileInfo(path).fileName());
    const QString shown = QFileInfo(path).fileName();
    connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this, [this, download, shown] {
        emit downloadProgress(shown, download->receivedBytes(), download->totalBytes());
    });
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, [this, download, path] {
        if (!download->isFinished())
            return;
        emit downloadFinished(path, download->state() == QWebEngineDownloadRequest::DownloadCompleted);
    });
    download->accept();
    emit downloadProgress(shown, 0, download->totalBytes());
}

} // namespace yx
