// The program's icon in the desktop's notification area, present while the main frame exists so
// the program stays reachable when its window is hidden. The owner receives the icon's clicks.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

class QMenu;
class QSystemTrayIcon;

namespace yx {

class TrayIcon : public QObject {
    Q_OBJECT
public:
    // Longest tip in bytes (UTF-8); longer tips are cut at a character boundary.
    static constexpr int kMaxTipBytes = 127;

    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    // Whether this desktop shows notification-area icons. Tests may force the answer.
    static bool systemTrayAvailable();
    static void overrideAvailability(int available); // 1 yes, 0 no, -1 ask the desktop

    // Puts the icon into the notification area. False (and no icon) when the desktop has none.
    bool create(const QString& tip, const QIcon& icon, int iconId);
    bool setIcon(int iconResourceId);
    bool setIcon(const QIcon& icon);
    // The menu shown for the icon (owned by the caller).
    void setMenu(QMenu* menu);
    // Takes the icon out of the notification area; harmless when it is not there.
    void remove();

    bool isPresent() const { return m_present; }
    int iconId() const { return m_iconId; }
    QString tip() const { return m_tip; }

    static QString cutTip(const QString& tip);

signals:
    void doubleClicked();
    void clicked();

private:
    QSystemTrayIcon* m_tray = nullptr;
    bool m_present = false;
    int m_iconId = 0;
    QString m_tip;
};

} // namespace yx
