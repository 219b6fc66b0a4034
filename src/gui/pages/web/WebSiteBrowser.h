// The lifecycle page's browser on the embedded web engine.
//
// Completed navigations: the top frame's document counts when it is ready, then each frame's
// as it gets ready; a load that ends without a ready document of its own (the site cannot be
// reached, an empty page, a file shown by a plug-in) counts when the load ends, with the address
// that was asked for. The engine shows its own error page for a site that cannot be reached.
//
// Downloads the site starts are saved in the user's download folder under a free name.
#pragma once

#include "pages/SiteBrowser.h"

class QWebEngineDownloadRequest;
class QWebEngineLoadingInfo;
class QWebEngineView;

namespace yx {

class SitePage;

class WebSiteBrowser : public SiteBrowser {
    Q_OBJECT
public:
    explicit WebSiteBrowser(QWidget* parent = nullptr);
    ~WebSiteBrowser() override;

    void navigate(const QUrl& url) override;
    void goBack() override;
    void goForward() override;
    void refresh() override;
    QUrl currentUrl() const override;

    QWebEngineView* view() const { return m_view; }

    // The folder downloads go to; created when missing.
    static QString downloadFolder();
    // `fileName` in `folder`, with " (2)", " (3)", ... before the extension when the name is taken.
    static QString freePath(const QString& folder, const QString& fileName);

private:
    void onDocumentReady(const QUrl& url, bool topFrame);
    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    void updateHistoryState();
    void onDownloadRequested(QWebEngineDownloadRequest* download);

    QWebEngineView* m_view;
    SitePage* m_page;
    bool m_topDocumentReady = false; // for the load in progress
    bool m_canGoBack = false;
    bool m_canGoForward = false;
};

} // namespace yx
