// A text label that works as a hyperlink: link, hover and visited colours, underline always,
// never or while the mouse is over it, a hand cursor, the URL as tooltip. A click opens the URL
// through the desktop's opener, falling back to the registered HTML application; when both fail
// it beeps and reports the error in English.
#pragma once

#include <QColor>
#include <QLabel>
#include <QString>

namespace yx {

class LinkStatic : public QLabel {
    Q_OBJECT
public:
    enum UnderlineMode { UnderlineWhileHover = -1, UnderlineNever = 0, UnderlineAlways = 1 };

    // Results of opening a link: above this value it was opened, else an error code.
    static constexpr int kOpenedThreshold = 32;
    static constexpr int kOpened = 33;
    static constexpr int kErrFileNotFound = 2;
    static constexpr int kErrNoAssociation = 31;

    explicit LinkStatic(QWidget* parent = nullptr);
    explicit LinkStatic(const QString& text, QWidget* parent = nullptr);

    // The URL; when none was set, the text is the URL. Setting it on a control without text
    // shows the URL as the text.
    void setUrl(const QString& url);
    QString url() const;

    void setVisited(bool visited);
    bool visited() const { return m_visited; }

    void setUnderlineMode(int mode);
    int underlineMode() const { return m_underline; }

    // Whether the control keeps its size fitted to its text (on by default).
    void setAdjustToFit(bool adjust);
    bool adjustToFit() const { return m_adjustToFit; }

    bool isMouseOver() const { return m_mouseOver; }
    bool isUnderlined() const;
    QColor currentColor() const;

    static QColor linkColor() { return QColor(0, 0, 238); }
    static QColor visitedColor() { return QColor(85, 26, 139); }
    static QColor hoverColor() { return QColor(255, 0, 0); }

    // Opens a URL (desktop opener, then the registered HTML application). Returns a value
    // above kOpenedThreshold on success, else an error code.
    static int openUrl(const QString& url);
    // "Unable to open hyperlink:\n\n" and the description of an error code.
    static QString errorText(int code);
    static QString errorDescription(int code);

    // What a click does: open the URL; on success mark it visited, else beep and report.
    void activate();
    // Resizes the control to its text, keeping the edge its alignment anchors.
    void fitToText();

signals:
    void opened(const QString& url);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void init();
    void applyLook();

    QString m_url;
    bool m_visited = false;
    bool m_mouseOver = false;
    int m_underline = UnderlineWhileHover;
    bool m_adjustToFit = true;
    bool m_applying = false;
};

} // namespace yx
