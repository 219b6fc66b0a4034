#include "TrayIcon.h"

#include "Artwork.h"

#include <QSystemTrayIcon>

namespace yx {

namespace {
int g_availabilityOverride = -1;
} // namespace

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {}

TrayIcon::~TrayIcon() {
    remove();
}

bool TrayIcon::systemTrayAvailable() {
    if (g_availabilityOverride >= 0)
        return g_availabilityOverride == 1;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::overrideAvailability(int available) {
    g_availabilityOverride = available;
}

QString TrayIcon::cutTip(const QString& tip) {
    QString cut;
    int bytes = 0;
    for (const QChar* it = tip.constBegin(); it != tip.constEnd();) {
        // One code point (a surrogate pair counts as one).
        const int units = it->isHighSurrogate() && (it + 1) != tip.constEnd() ? 2 : 1;
        const QString cp(it, units);
        const int len = static_cast<int>(cp.toUtf8().size());
        if (bytes + len > kMaxTipBytes)
            break;
        cut += cp;
        bytes += len;
        it += units;
    }
    return cut;
}

bool TrayIcon::create(const QString& tip, const QIcon& icon, int iconId) {
    if (m_present)
        return true;
    m_iconId = iconId;
    m_tip = cutTip(tip);
    if (!systemTrayAvailable())
        return false;
    if (!m_tray) {
        m_tray = new QSystemTrayIcon(this);
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::DoubleClick)
                emit doubleClicked();
            else if (reason == QSystemTrayIcon::Trigger)
                emit clicked();
        });
    }
    m_tray->setToolTip(m_tip);
    m_present = true;
    // The icon appears in the tray once it has its picture (the frame sets it right after this).
    if (!icon.isNull())
        setIcon(icon);
    return true;
}

bool TrayIcon::setIcon(int iconResourceId) {
    const QIcon icon = art::icon(iconResourceId);
    return !icon.isNull() && setIcon(icon);
}

bool TrayIcon::setIcon(const QIcon& icon) {
    if (!m_present || !m_tray || icon.isNull())
        return false;
    m_tray->setIcon(icon);
    if (!m_tray->isVisible())
        m_tray->show();
    return true;
}

void TrayIcon::setMenu(QMenu* menu) {
    if (m_tray)
        m_tray->setContextMenu(menu);
}

void TrayIcon::remove() {
    if (!m_present)
        return;
    if (m_tray)
        m_tray->hide();
    m_present = false;
}

} // namespace yx
