#include "SitePage.h"

#include "UserPrompt.h"

#include <QWebEngineNewWindowRequest>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace yx {

namespace {

// Logged by the frame reporter: marker, "top" or "frame", one blank, the frame's address.
const QString kMarker = QStringLiteral("\x01yaoxia-document-ready ");

QString reporterSource() {
    return QStringLiteral("console.info('%1' + (window === window.top ? 'top ' : 'frame ') + location.href);")
        .arg(QString(kMarker).replace(QChar(1), QStringLiteral("\\x01")));
}

void openOutside(const QUrl& url) {
    if (url.isValid() && !url.isEmpty())
        prompt().openWithDesktop(url.toString(QUrl::FullyEncoded).toStdString());
}

} // namespace

SitePage::SitePage(QObject* parent) : QWebEnginePage(parent) {
    installFrameReporter();
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [](QWebEngineNewWindowRequest& request) { openOutside(request.requestedUrl()); });
}

void SitePage::installFrameReporter() {
    QWebEngineScript script;
    script.setName(QStringLiteral("yaoxia-frame-reporter"));
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::ApplicationWorld); // the site cannot see or change it
    script.setRunsOnSubFrames(true);
    script.setSourceCode(reporterSource());
    scripts().insert(script);
}

bool SitePage::sameSite(const QUrl& current, const QUrl& target) {
    if (current.isEmpty() || current.host().isEmpty())
        return true;
    return current.host().compare(target.host(), Qt::CaseInsensitive) == 0 && current.port() == target.port();
}

bool SitePage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    if (isMainFrame && type == NavigationTypeLinkClicked && !sameSite(this->url(), url)) {
        openOutside(url);
        return false;
    }
    const bool accepted = QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    if (accepted && isMainFrame)
        emit topFrameNavigating(url);
    return accepted;
}

void SitePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                        int lineNumber, const QString& sourceID) {
    if (!message.startsWith(kMarker)) {
        QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceID);
        return;
    }
    const QString rest = message.mid(kMarker.size());
    const qsizetype blank = rest.indexOf(QLatin1Char(' '));
    if (blank < 0)
        return;
    const QUrl url(rest.mid(blank + 1));
    // The engine's own error page is no document of the site; the failed load reports itself.
    if (url.scheme().startsWith(QLatin1String("chrome")))
        return;
    emit documentReady(url, rest.left(blank) == QLatin1String("top"));
}

} // namespace yx
