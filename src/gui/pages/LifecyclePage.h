// The certificate lifecycle page: the registration authority's web site in a browser, so the user
// applies for, renews or revokes certificates without leaving the program. It has no view
// commands, so its "查看(&V)" popup stays empty.
//
// The page goes to the default site of the settings whenever it is shown or hidden (every switch
// to or away from it reloads the site) and when asked to go home. Each completed navigation, frames
// inside the site included, sets the main window's state: normal when the address contains "mini",
// maximised otherwise. Downloads show a progress line at the bottom; a downloaded certificate file
// is offered for import into the store it belongs in.
#pragma once

#include "Page.h"

#include <QUrl>

class QLabel;

namespace yx {

class SiteBrowser;

class LifecyclePage : public Page {
    Q_OBJECT
public:
    explicit LifecyclePage(QWidget* parent = nullptr);

    bool onCommand(int id) override;
    void setVisible(bool visible) override;

    // Goes to the default site: "ServiceURL"/"Default" names the site, its "Value" is the address.
    void navigateHome();
    static QUrl homeUrl();

    SiteBrowser* browser() const { return m_browser; }
    bool canGoBack() const { return m_canGoBack; }
    bool canGoForward() const { return m_canGoForward; }

signals:
    // The user wants the downloaded certificate file at `path` imported by page `pageIndex`.
    void importRequested(int pageIndex, const QString& path);

protected:
    QMenu* createOperationsMenu() override;
    void onActivate() override;

private:
    void updateBackForward();
    void applyWindowRule(const QUrl& url);
    void showContextMenu(const QPoint& globalPos);
    void showDownloadProgress(const QString& fileName, qint64 received, qint64 total);
    void onDownloadFinished(const QString& path, bool succeeded);
    void offerImport(const QString& path);

    SiteBrowser* m_browser;
    QLabel* m_downloadLine;
    // Whether the site can go back / forward; false until the browser says otherwise.
    bool m_canGoBack = false;
    bool m_canGoForward = false;
    bool m_everShown = false;
};

} // namespace yx
