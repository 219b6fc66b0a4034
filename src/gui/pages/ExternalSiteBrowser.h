// The lifecycle page's browser in a build without the embedded web engine: it names the site and
// offers a button that opens it in the desktop's browser. A navigation completes at once (nothing
// is loaded), and there is no history to go back or forward in.
#pragma once

#include "SiteBrowser.h"

class QLabel;
class QPushButton;

namespace yx {

class ExternalSiteBrowser : public SiteBrowser {
    Q_OBJECT
public:
    explicit ExternalSiteBrowser(QWidget* parent = nullptr);

    void navigate(const QUrl& url) override;
    void goBack() override {}
    void goForward() override {}
    void refresh() override;
    QUrl currentUrl() const override { return m_url; }

private:
    void openOutside();

    QUrl m_url;
    QLabel* m_text;
    QPushButton* m_open;
};

} // namespace yx
