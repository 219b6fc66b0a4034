// Drives the modal dialogs and popup menus an operation opens, in the order they are expected:
// each step waits until its dialog (by objectName, the dialog id) is the active modal widget, or
// until a popup menu is open, and then runs on it. Steps run from the event loop after the
// look-up returns, so a step may open further modal dialogs. A step that is not reached in time
// closes whatever is open and records the failure.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>

namespace yxtest {

class ModalScript : public QObject {
public:
    explicit ModalScript(int timeoutMs = 20000) : m_timeoutMs(timeoutMs) {
        connect(&m_timer, &QTimer::timeout, this, &ModalScript::poll);
        m_timer.start(10);
        m_elapsed.start();
    }

    // The next modal dialog expected is `dialogId`; `step` gets it.
    ModalScript& on(int dialogId, std::function<void(QDialog*)> step) {
        m_steps.push_back({QString::number(dialogId), std::move(step), {}});
        return *this;
    }
    // The next thing expected is an open popup menu.
    ModalScript& onPopup(std::function<void(QMenu*)> step) {
        m_steps.push_back({QString(), {}, std::move(step)});
        return *this;
    }

    bool finished() const { return m_steps.empty() && m_running == 0; }
    // Empty when every step ran; otherwise what was waited for in vain.
    QString failure() const { return m_failure; }
    // Ids of the dialogs the steps ran on, in order (also "popup").
    QStringList seen;

    // Waits (running the event loop) until every step has run or one failed; true when all ran.
    bool waitFinished(int ms = 30000) {
        QElapsedTimer t;
        t.start();
        while (!finished() && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return finished() && m_failure.isEmpty();
    }

private:
    struct Step {
        QString id; // empty: a popup
        std::function<void(QDialog*)> dialog;
        std::function<void(QMenu*)> popup;
    };

    void poll() {
        if (m_steps.empty())
            return;
        Step& next = m_steps.front();
        if (next.id.isEmpty()) {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                menu && menu->isVisible()) {
                auto step = std::move(next.popup);
                m_steps.pop_front();
                run([step, m = QPointer<QMenu>(menu)] {
                    if (m)
                        step(m);
                });
                seen << QStringLiteral("popup");
                return;
            }
        } else if (auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                   dlg && dlg->isVisible() && dlg->objectName() == next.id) {
            auto step = std::move(next.dialog);
            seen << next.id;
            m_steps.pop_front();
            run([step, d = QPointer<QDialog>(dlg)] {
                if (d)
                    step(d);
            });
            return;
        }
        if (m_elapsed.elapsed() > m_timeoutMs) {
            QWidget* open = QApplication::activeModalWidget();
            m_failure = QStringLiteral("waited in vain for %1 (open: %2)")
                            .arg(next.id.isEmpty() ? QStringLiteral("a popup") : next.id,
                                 open ? open->objectName() : QStringLiteral("nothing"));
            m_steps.clear();
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            if (auto* dlg = qobject_cast<QDialog*>(open))
                dlg->reject();
        }
    }

    void run(std::function<void()> call) {
        ++m_running;
        m_elapsed.restart();
        QTimer::singleShot(0, this, [this, call] {
            call();
            --m_running;
            m_elapsed.restart();
        });
    }

    QTimer m_timer;
    QElapsedTimer m_elapsed;
    std::deque<Step> m_steps;
    int m_running = 0;
    int m_timeoutMs;
    QString m_failure;
};

} // namespace yxtest
