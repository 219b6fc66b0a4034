// The main window comes back with the size, position and maximised state the user left it in;
// the first start keeps the initial size.
#include "GuiTestEnv.h"
#include "RecordingPrompt.h"
#include "shell/MainFrame.h"
#include "shell/TrayIcon.h"

#include <QtTest>

using namespace yx;

class MainFramePlacementTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TrayIcon::overrideAvailability(1); }
    void restoresWhatTheUserLeft();
};

void MainFramePlacementTest::restoresWhatTheUserLeft() {
    struct Case {
        const char* name;
        QRect geometry;
        bool maximised;
    };
    const Case cases[] = {
        {"moved and resized", QRect(40, 60, 640, 480), false},
        {"maximised", QRect(50, 70, 600, 400), true},
    };
    for (const Case& c : cases) {
        yxtest::ScopedGuiEnv env;
        yxtest::RecordingPrompt prompt;
        {
            MainFrame first;
            QVERIFY(!first.placementRestored());
            QCOMPARE(first.size(), QSize(MainFrame::kInitialWidth, MainFrame::kInitialHeight));
            first.show();
            QVERIFY(QTest::qWaitForWindowExposed(&first));
            first.setGeometry(c.geometry);
            if (c.maximised)
                first.showMaximized();
            QTest::qWait(50);
            first.close(); // to the tray: the placement is kept
            QVERIFY(!first.isVisible());
        }
        MainFrame again;
        QVERIFY2(again.placementRestored(), c.name);
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.isMaximized(), c.maximised);
        QCOMPARE(again.normalGeometry().size(), c.geometry.size());
        if (!c.maximised)
            QCOMPARE(again.geometry(), c.geometry);
    }
}

QTEST_MAIN(MainFramePlacementTest)
#include "MainFramePlacementTest.moc"
