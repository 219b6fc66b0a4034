#include "LinkStatic.h"

#include "BrowserCommand.h"
#include "UserPrompt.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>

#include <string>
#include <vector>

namespace yx {

LinkStatic::LinkStatic(QWidget* parent) : QLabel(parent) {
    init();
}

LinkStatic::LinkStatic(const QString& text, QWidget* parent) : QLabel(text, parent) {
    init();
}

void LinkStatic::init() {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setToolTip(url());
    applyLook();
}

void LinkStatic::setUrl(const QString& url) {
    m_url = url;
    if (text().isEmpty())
        setText(url);
    setToolTip(this->url());
    applyLook();
}

QString LinkStatic::url() const {
    return m_url.isEmpty() ? text() : m_url;
}

void LinkStatic::setVisited(bool visited) {
    m_visited = visited;
    applyLook();
}

void LinkStatic::setUnderlineMode(int mode) {
    if (mode < UnderlineWhileHover || mode > UnderlineAlways)
        return;
    m_underline = mode;
    applyLook();
}

void LinkStatic::setAdjustToFit(bool adjust) {
    m_adjustToFit = adjust;
    if (adjust)
        fitToText();
}

bool LinkStatic::isUnderlined() const {
    return m_underline == UnderlineAlways || (m_underline == UnderlineWhileHover && m_mouseOver);
}

QColor LinkStatic::currentColor() const {
    if (m_mouseOver)
        return hoverColor();
    return m_visited ? visitedColor() : linkColor();
}

void LinkStatic::applyLook() {
    m_applying = true;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, currentColor());
    setPalette(pal);
    QFont f = font();
    f.setUnderline(isUnderlined());
    setFont(f);
    m_applying = false;
    if (m_adjustToFit)
        fitToText();
    update();
}

void LinkStatic::fitToText() {
    QFont underlined = font();
    underlined.setUnderline(true);
    const QSize text = QFontMetrics(underlined).size(Qt::TextSingleLine, this->text());
    const QMargins m = contentsMargins();
    const int border = 2 * frameWidth();
    const QSize wanted(text.width() + m.left() + m.right() + border + 1,
                       text.height() + m.top() + m.bottom() + border);
    const QRect old = geometry();
    QRect now(old.topLeft(), wanted);
    const Qt::Alignment align = alignment();
    if (align & Qt::AlignVCenter)
        now.moveTop(old.top() + (old.height() - wanted.height()) / 2);
    if (align & Qt::AlignHCenter)
        now.moveLeft(old.left() + (old.width() - wanted.width()) / 2);
    else if (align & Qt::AlignRight)
        now.moveRight(old.right());
    setGeometry(now);
}

int LinkStatic::openUrl(const QString& url) {
    if (prompt().openWithDesktop(url.toStdString()))
        return kOpened;
    const int first = kErrNoAssociation;
    // The desktop could not open it: try the application registered for HTML files.
    const QStringList args = browserArguments(htmlOpenCommand(), url);
    if (args.isEmpty())
        return first;
    std::vector<std::string> argv;
    for (const QString& a : args)
        argv.push_back(a.toStdString());
    return prompt().runProgram(argv, false) == 0 ? kOpened : kErrFileNotFound;
}

QString LinkStatic::errorDescription(int code) {
    switch (code) {
    case 0:
        return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2:
        return QStringLiteral("The specified file was not found.");
    case 3:
        return QStringLiteral("The specified path was not found.");
    case 5:
        return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26:
        return QStringLiteral("A sharing violation occurred. ");
    case 27:
        return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28:
        return QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral("The DDE transaction could not\nbe completed because other DDE transactions\n"
                              "were being processed.");
    case 31:
        return QStringLiteral("There is no application associated\nwith the given filename extension.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return QStringLiteral("Unknown Error (%1) occurred.").arg(code);
    }
}

QString LinkStatic::errorText(int code) {
    return QStringLiteral("Unable to open hyperlink:\n\n") + errorDescription(code);
}

void LinkStatic::activate() {
    m_mouseOver = false;
    const QString target = url();
    const int result = openUrl(target);
    if (result > kOpenedThreshold) {
        setVisited(true);
        emit opened(target);
        return;
    }
    applyLook();
    QApplication::beep();
    showMessage(errorText(result).toStdString(), MsgIcon::Warning, MsgButtons::Ok, window());
}

void LinkStatic::enterEvent(QEnterEvent* event) {
    if (!m_mouseOver) {
        m_mouseOver = true;
        applyLook();
    }
    QLabel::enterEvent(event);
}

void LinkStatic::leaveEvent(QEvent* event) {
    if (m_mouseOver) {
        m_mouseOver = false;
        applyLook();
    }
    QLabel::leaveEvent(event);
}

void LinkStatic::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        activate();
    QLabel::mouseReleaseEvent(event);
}

void LinkStatic::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange && !m_applying && m_adjustToFit)
        fitToText();
}

} // namespace yx
