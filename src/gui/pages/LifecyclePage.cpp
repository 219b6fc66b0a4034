#include "LifecyclePage.h"

#include "CertFileKind.h"
#include "MenuResources.h"
#include "ResourceIds.h"
#include "Settings.h"
#include "SiteBrowser.h"
#include "UserPrompt.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

namespace yx {

namespace {

// The address of a completed navigation decides the window's state; it is looked at as the
// Windows build saw it: as at most 2048 bytes of text.
constexpr qsizetype kMaxUrlBytes = 2048;

void enableBackForward(QMenu* menu, bool back, bool forward) {
    if (!menu)
        return;
    if (QAction* a = menus::findCommand(menu, res::ID_BROWSER_BACK))
        a->setEnabled(back);
    if (QAction* a = menus::findCommand(menu, res::ID_BROWSER_FORWARD))
        a->setEnabled(forward);
}

} // namespace

LifecyclePage::LifecyclePage(QWidget* parent) : Page(kPageLifecycle, res::IDD_LIFECYCLE_PAGE, parent) {
    m_browser = createSiteBrowser(this);
    m_browser->setObjectName(QString::number(res::IDC_LIFECYCLE_BROWSER));
    m_downloadLine = new QLabel(this);
    m_downloadLine->setObjectName(QStringLiteral("downloadLine"));
    m_downloadLine->setContentsMargins(6, 2, 6, 2);
    m_downloadLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_downloadLine->hide();
    // The browser fills the page and follows its size.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_browser, 1);
    layout->addWidget(m_downloadLine);

    connect(m_browser, &SiteBrowser::navigationCompleted, this, &LifecyclePage::applyWindowRule);
    connect(m_browser, &SiteBrowser::historyStateChanged, this, [this](bool back, bool forward) {
        m_canGoBack = back;
        m_canGoForward = forward;
        updateBackForward();
    });
    connect(m_browser, &SiteBrowser::contextMenuRequested, this, &LifecyclePage::showContextMenu);
    connect(m_browser, &SiteBrowser::downloadProgress, this, &LifecyclePage::showDownloadProgress);
    connect(m_browser, &SiteBrowser::downloadFinished, this, &LifecyclePage::onDownloadFinished);
}

QMenu* LifecyclePage::createOperationsMenu() {
    return menus::loadPopup(res::IDR_LIFECYCLE);
}

void LifecyclePage::onActivate() {
    updateBackForward();
}

bool LifecyclePage::onCommand(int id) {
    switch (id) {
    case res::ID_BROWSER_BACK:
        m_browser->goBack();
        return true;
    case res::ID_BROWSER_FORWARD:
        m_browser->goForward();
        return true;
    case res::ID_BROWSER_HOME:
        navigateHome();
        return true;
    case res::ID_BROWSER_REFRESH:
        m_browser->refresh();
        return true;
    default:
        return Page::onCommand(id);
    }
}

void LifecyclePage::setVisible(bool visible) {
    const bool wasHidden = isHidden();
    Page::setVisible(visible);
    // Only the page's own show and hide count, not its window's, and not the hiding of the page
    // while the frame is being built.
    m_everShown = m_everShown || !isHidden();
    if (wasHidden != isHidden() && m_everShown) {
        navigateHome();
        updateBackForward();
    }
}

QUrl LifecyclePage::homeUrl() {
    const std::string key = settings::defaultRaSiteKey();
    const std::string url = settings::GetProfileString("ServiceURL\\" + key, "Value", "");
    return QUrl::fromUserInput(QString::fromStdString(url));
}

void LifecyclePage::navigateHome() {
    m_browser->navigate(homeUrl());
}

void LifecyclePage::updateBackForward() {
    enableBackForward(currentOperationsMenu(), m_canGoBack, m_canGoForward);
}

void LifecyclePage::applyWindowRule(const QUrl& url) {
    QWidget* frame = window();
    // A window closed to the tray stays there.
    if (!frame || !frame->isVisible())
        return;
    if (url.toEncoded().left(kMaxUrlBytes).contains("mini"))
        frame->showNormal();
    else
        frame->showMaximized();
}

void LifecyclePage::showContextMenu(const QPoint& globalPos) {
    updateBackForward();
    QMenu* menu = menus::loadPopup(res::IDR_LIFECYCLE);
    enableBackForward(menu, m_canGoBack, m_canGoForward);
    runContextMenu(menu, globalPos);
}

void LifecyclePage::showDownloadProgress(const QString& fileName, qint64 received, qint64 total) {
    const QString text =
        total > 0
            ? QString::fromUtf8("正在下载 %1：%2%").arg(fileName, QString::number(received * 100 / total))
            : QString::fromUtf8("正在下载 %1：%2 KB").arg(fileName, QString::number(received / 1024));
    m_downloadLine->setText(text);
    m_downloadLine->show();
}

void LifecyclePage::onDownloadFinished(const QString& path, bool succeeded) {
    const QString shown = QDir::toNativeSeparators(path);
    m_downloadLine->setText(succeeded ? QString::fromUtf8("已下载到 %1").arg(shown)
                                      : QString::fromUtf8("下载未完成：%1").arg(shown));
    m_downloadLine->show();
    if (succeeded)
        offerImport(path);
}

void LifecyclePage::offerImport(const QString& path) {
    int target = -1;
    const char* store = nullptr;
    switch (classifyCertFile(path.toStdString())) {
    case CertFileKind::Pfx:
        target = kPagePersonal;
        store = "个人证书库";
        break;
    case CertFileKind::CaCertificate:
        target = kPageCa;
        store = "CA证书库";
        break;
    case CertFileKind::Certificate:
        target = kPageOtherPeople;
        store = "其他人证书库";
        break;
    case CertFileKind::NotCertificate:
        return;
    }
    const QString question = QString::fromUtf8("证书文件已下载到：\n%1\n\n是否导入到“%2”？")
                                 .arg(QDir::toNativeSeparators(path), QString::fromUtf8(store));
    if (showMessage(question.toStdString(), MsgIcon::Question, MsgButtons::YesNo, this) == MsgAnswer::Yes)
        emit importRequested(target, path);
}

} // namespace yx
