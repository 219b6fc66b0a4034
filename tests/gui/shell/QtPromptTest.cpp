// The desktop prompt: classic filters turned into Qt's, and the wait for the certificate viewer,
// during which the windows keep painting and timers keep running but take no clicks or keys (the
// tray's menu still takes them).
#include "prompt/QtPrompt.h"
#include "prompt/FileFilter.h"
#include "prompt/InputBlocker.h"

#include <QMenu>
#include <QPushButton>
#include <QtTest>

using namespace yx;

class QtPromptTest : public QObject {
    Q_OBJECT
private slots:
    void classicFiltersBecomeQtFilters_data() {
        QTest::addColumn<QString>("classic");
        QTest::addColumn<QStringList>("qt");
        QTest::newRow("two") << "A(*.a)|*.a|All(*.*)|*.*||" << QStringList{"A (*.a)", "All (*)"};
        QTest::newRow("chinese") << "PFX 文件(*.pfx;*.p12)|*.pfx;*.p12|所有文件(*.*)|*.*||"
                                 << QStringList{"PFX 文件 (*.pfx *.p12)", "所有文件 (*)"};
        QTest::newRow("no parens") << "证书文件|*.cer;*.crt|" << QStringList{"证书文件 (*.cer *.crt)"};
        QTest::newRow("patterns decide") << "Text (*.doc)|*.txt||" << QStringList{"Text (*.txt)"};
        QTest::newRow("no trailing bars") << "K|*.kvx" << QStringList{"K (*.kvx)"};
        QTest::newRow("empty pattern") << "Any||" << QStringList{};
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("only star") << "Alles|*||" << QStringList{"Alles (*)"};
    }

    void classicFiltersBecomeQtFilters() {
        QFETCH(QString, classic);
        QFETCH(QStringList, qt);
        QCOMPARE(qtNameFilters(classic.toStdString()), qt);
        QCOMPARE(qtFilterString(classic.toStdString()), qt.join(QStringLiteral(";;")));
    }

    void viewerWaitKeepsTheEventLoopButHoldsBackInput() {
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

    void trayMenuIsNotHeldBack() {
        QMenu menu;
        QPushButton window;
        InputBlocker blocker;
        QVERIFY(!InputBlocker::blocks(&menu, QEvent::MouseButtonRelease));
        QVERIFY(InputBlocker::blocks(&window, QEvent::MouseButtonPress));
        QVERIFY(InputBlocker::blocks(&window, QEvent::KeyPress));
        QVERIFY(!InputBlocker::blocks(&window, QEvent::Paint));
    }
};

QTEST_MAIN(QtPromptTest)
#include "QtPromptTest.moc"
