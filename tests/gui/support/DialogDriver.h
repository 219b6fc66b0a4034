// Drives dialogs the way a person does, by control id (a control's objectName is its id): typing,
// clicking, and answering the modal dialogs and popup menus that code under test opens.
#pragma once

#include "RecordingPrompt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace yxtest {

inline QString q(const std::string& s) {
    return QString::fromStdString(s);
}
inline std::string s(const QString& text) {
    return text.toStdString();
}

// The control with this id; the test stops when it is missing.
template <class T = QWidget> T* control(QWidget* dialog, int id) {
    T* w = dialog->findChild<T*>(QString::number(id));
    if (!w)
        qFatal("control %d missing in %s", id, qPrintable(dialog->objectName()));
    return w;
}

inline QString textOf(QWidget* dialog, int id) {
    return control<QLineEdit>(dialog, id)->text();
}

// Replaces a field's text the way an input method commits it (key clicks cannot carry Chinese).
inline void typeInto(QWidget* dialog, int id, const QString& text) {
    QLineEdit* edit = control<QLineEdit>(dialog, id);
    edit->setFocus();
    edit->selectAll();
    edit->del();
    edit->insert(text);
}

inline void click(QWidget* dialog, int id) {
    QAbstractButton* button = control<QAbstractButton>(dialog, id);
    QVERIFY2(button->isEnabled(), qPrintable(QStringLiteral("button %1 is disabled").arg(id)));
    QTest::mouseClick(button, Qt::LeftButton);
}

// The texts of the messages shown, in order.
inline QStringList messageTexts(const RecordingPrompt& prompt) {
    QStringList out;
    for (const auto& m : prompt.messages)
        out << q(m.text);
    return out;
}

// No modal dialog comes up within a while.
inline bool staysWithoutDialog(int ms = 300) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (QApplication::activeModalWidget())
            return false;
    }
    return true;
}

// The one message shown since the prompt was last cleared (where a flow decides which one shows).
#define YX_EXPECT_ONE_MESSAGE(prompt, text_, caption_, icon_, buttons_)                                      \
    do {                                                                                                     \
        QCOMPARE((prompt).messages.size(), size_t(1));                                                       \
        QCOMPARE(yxtest::q((prompt).messages[0].text), QStringLiteral(text_));                               \
        QCOMPARE(yxtest::q((prompt).messages[0].caption), QStringLiteral(caption_));                         \
        QCOMPARE((prompt).messages[0].icon, icon_);                                                          \
        QCOMPARE((prompt).messages[0].buttons, buttons_);                                                    \
    } while (0)

inline bool writeText(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The modal dialogs and popup menus an operation opens, in the order expected: each step waits
// until its dialog (by id) is the active modal widget, or a popup menu is open, and then runs on
// it from the event loop, so a step may open further dialogs. A step not reached in time closes
// whatever is open and records the failure.
class ModalScript : public QObject {
public:
    explicit ModalScript(int timeoutMs = 20000) : m_timeoutMs(timeoutMs) {
        connect(&m_timer, &QTimer::timeout, this, &ModalScript::poll);
        m_timer.start(10);
        m_elapsed.start();
    }

    // dialogId 0: whichever modal dialog comes next (message boxes have no id).
    ModalScript& on(int dialogId, std::function<void(QDialog*)> step) {
        m_steps.push_back({QString::number(dialogId), std::move(step), {}});
        return *this;
    }
    // Fills fields of the dialog and presses OK (1) or Cancel (2).
    ModalScript& fill(int dialogId, std::vector<std::pair<int, QString>> fields, bool ok = true) {
        return on(dialogId, [fields, ok](QDialog* dialog) {
            for (const auto& [id, text] : fields)
                typeInto(dialog, id, text);
            click(dialog, ok ? 1 : 2);
        });
    }
    ModalScript& onPopup(std::function<void(QMenu*)> step) {
        m_steps.push_back({QString(), {}, std::move(step)});
        return *this;
    }

    bool finished() const { return m_steps.empty() && m_running == 0; }
    QString failure() const { return m_failure; } // empty when every step ran

    // Runs the event loop until every step has run or one failed; true when all ran.
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
                return;
            }
        } else if (auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                   dlg && dlg->isVisible() &&
                   (next.id == QLatin1String("0") || dlg->objectName() == next.id)) {
            auto step = std::move(next.dialog);
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
