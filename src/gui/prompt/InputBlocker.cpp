#include "InputBlocker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMenu>
#include <QWidget>

namespace yx {

namespace {

bool isUserInput(int type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

// The tray's own widgets: its icon (where the tray is embedded as a window) and its menu.
bool belongsToTray(const QWidget* window) {
    return qobject_cast<const QMenu*>(window) || window->inherits("QSystemTrayIconSys");
}

} // namespace

InputBlocker::InputBlocker() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

InputBlocker::~InputBlocker() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool InputBlocker::blocks(QObject* receiver, int eventType) {
    if (!isUserInput(eventType))
        return false;
    const auto* widget = qobject_cast<const QWidget*>(receiver);
    if (!widget) // the windows pass input on to their widgets; shortcuts go to actions
        return eventType == QEvent::Shortcut;
    return !belongsToTray(widget->window());
}

bool InputBlocker::eventFilter(QObject* watched, QEvent* event) {
    if (blocks(watched, event->type()))
        return true;
    return QObject::eventFilter(watched, event);
}

} // namespace yx
