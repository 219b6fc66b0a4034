// Pictures of the main window on each page and of the about box, for a person to look at.
#include "GuiTestEnv.h"
#include "RecordingPrompt.h"
#include "ResourceIds.h"
#include "pages/Page.h"
#include "shell/MainFrame.h"
#include "shell/NavigationPanel.h"
#include "widgets/AboutDialog.h"

#include <QFileInfo>
#include <QImage>
#include <QMenuBar>
#include <QtTest>

using namespace yx;

class ScreenshotTest : public QObject {
    Q_OBJECT
private slots:
    void mainWindowOnEachPage();
    void initialWindowSize();
    void aboutBox();
};

void ScreenshotTest::mainWindowOnEachPage() {
    yxtest::ScopedGuiEnv env;
    yxtest::RecordingPrompt prompt;
    MainFrame frame;
    frame.resize(760, 540);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    NavigationPanel* panel = frame.panel();
    for (int i = 0; i < kPageCount; ++i) {
        QTest::mouseClick(panel, Qt::LeftButton, {}, panel->itemRect(i).center());
        QCOMPARE(frame.currentPageIndex(), i);
        QCoreApplication::processEvents();
        const QString file = yxtest::saveScreenshot(&frame, QStringLiteral("mainframe-page%1").arg(i));
        if (!file.isEmpty()) {
            const QImage shot(file);
            QVERIFY(!shot.isNull());
            QVERIFY(shot.width() >= 760);
            // The title line is written in its colour somewhere below the top band.
            bool titleInk = false;
            const QPoint t = panel->mapTo(&frame, panel->titlePosition());
            for (int y = t.y(); y < t.y() + 20 && !titleInk; ++y)
                for (int x = t.x(); x < t.x() + 120 && !titleInk; ++x)
                    titleInk =
                        shot.pixelColor(x * shot.width() / frame.width(), y * shot.width() / frame.width())
                            .lightness() < 90;
            QVERIFY2(titleInk, "the page title is drawn");
        }
    }
}

void ScreenshotTest::initialWindowSize() {
    yxtest::ScopedGuiEnv env;
    yxtest::RecordingPrompt prompt;
    MainFrame frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(frame.width(), MainFrame::kInitialWidth);
    yxtest::saveScreenshot(&frame, QStringLiteral("mainframe-initial"));
}

void ScreenshotTest::aboutBox() {
    yxtest::RecordingPrompt prompt;
    AboutDialog about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(about.windowTitle(), QStringLiteral("岚川数字钥匣"));
    yxtest::saveScreenshot(&about, QStringLiteral("aboutbox"));
}

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
