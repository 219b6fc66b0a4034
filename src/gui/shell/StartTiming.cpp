#include "StartTiming.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace yx {

namespace {

long long nowNs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(long long startNs, bool quit, QObject* parent)
        : QObject(parent), m_startNs(startNs), m_quit(quit) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // After this paint has been flushed to the window.
            QTimer::singleShot(0, this, [this] {
                std::printf("main window painted after %.1f ms\n",
                            static_cast<double>(nowNs() - m_startNs) / 1e6);
                std::fflush(stdout);
                if (m_quit)
                    QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    long long m_startNs;
    bool m_quit;
    bool m_seen = false;
};

} // namespace

void watchFirstPaint(QWidget* frame) {
    bool ok = false;
    const long long start = qEnvironmentVariable("YAOXIA_START_NS").toLongLong(&ok);
    if (!frame || !ok)
        return;
    const bool quit = qEnvironmentVariableIntValue("YAOXIA_QUIT_WHEN_PAINTED") == 1;
    // The frame and its direct children (the panel covers most of it): whichever paints first.
    auto* watch = new FirstPaintWatch(start, quit, frame);
    frame->installEventFilter(watch);
    for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->installEventFilter(watch);
}

} // namespace yx
