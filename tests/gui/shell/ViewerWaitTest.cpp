// While the program waits for the certificate viewer, its windows keep painting and timers keep
// running, but take no clicks or keys; the tray's menu still takes them.
#include "prompt/InputBlocker.h"
#include "prompt/QtPrompt.h"

#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace yx;

class ViewerWaitTest : public QObject {
    Q_OBJECT
private slots:
    void waitingKeepsTheEventLoopButHoldsBackInput();
    void trayMenuIsNotHeldBack();
};

void ViewerWaitTest::waitingKeepsTheEventLoopButHoldsBackInput() {
    QPushButton button(QStringLiteral("确定"));
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    int clicks = 0;
    connect(&button, &QPushButton::clicked, [&] { ++clicks; });
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        if (ticks == 3)
            QTest::mouseClick(&button, Qt::LeftButton); // a click while the viewer is open
    });
    ticker.start(20);
    QtPrompt qt;
    QCOMPARE(qt.runProgram({"sh", "-c", "sleep 0.4; exit 4"}, true), 4);
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    QCOMPARE(clicks, 0);
    QTest::mouseClick(&button, Qt::LeftButton); // afterwards input is taken again
    QCOMPARE(clicks, 1);
}

void ViewerWaitTest::trayMenuIsNotHeldBack() {
    QMenu menu;
    QPushButton window;
    InputBlocker blocker;
    QVERIFY(!InputBlocker::blocks(&menu, QEvent::MouseButtonRelease));
    QVERIFY(InputBlocker::blocks(&window, QEvent::MouseButtonPress));
    QVERIFY(InputBlocker::blocks(&window, QEvent::KeyPress));
    QVERIFY(!InputBlocker::blocks(&window, QEvent::Paint));
}

QTEST_MAIN(ViewerWaitTest)
#include "ViewerWaitTest.moc"
