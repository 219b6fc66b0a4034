// Pictures of the main window on each page and of the about box, for a person to look at.
#include "CertStore.h"
#include "GuiTestEnv.h"
#include "RecordingPrompt.h"
#include "ResourceIds.h"
#include "TestPki.h"
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
    void certificatePagesInDetailsView();
    void initialWindowSize();
    void aboutBox();
};

namespace {

// A few certificates in each store, so the pictures show the certificate pages in use.
void fillStores() {
    yxtest::TestCa ca;
    yxtest::TempDir files;
    const char* mine[] = {"张伟", "张伟（加密）"};
    int key = 1;
    for (const char* cn : mine) {
        yxtest::CertProfile profile;
        profile.cn = cn;
        profile.email = "zhangwei@example.cn";
        profile.keyIndex = key++;
        const auto me = ca.issue(profile);
        const auto pfx = yxtest::writeFile(
            files.path(), "me.pfx",
            yxtest::makePfx(me.key.get(), me.cert.get(), {ca.cert()}, "pw", yxtest::PfxKind::TripleDes));
        CMyCertStore my;
        QCOMPARE(my.ImportP12("", pfx.c_str(), "pw"), 0);
    }
    const char* others[] = {"李娜", "王芳", "Alice Chen"};
    for (const char* cn : others) {
        yxtest::CertProfile profile;
        profile.cn = cn;
        const auto cert = yxtest::writeFile(files.path(), "o.cer", ca.issue(profile).der());
        COtherCertStore other;
        QCOMPARE(other.ImportCert(cert.c_str()), 0);
    }
}

} // namespace

void ScreenshotTest::mainWindowOnEachPage() {
    yxtest::ScopedGuiEnv env;
    yxtest::RecordingPrompt prompt;
    fillStores();
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

void ScreenshotTest::certificatePagesInDetailsView() {
    yxtest::ScopedGuiEnv env;
    yxtest::RecordingPrompt prompt;
    fillStores();
    MainFrame frame;
    frame.resize(860, 540);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    NavigationPanel* panel = frame.panel();
    for (int i : {kPagePersonal, kPageOtherPeople}) {
        QTest::mouseClick(panel, Qt::LeftButton, {}, panel->itemRect(i).center());
        // The view command from the menu bar reaches the current page.
        QVERIFY(frame.onCommand(res::ID_VIEW_DETAILS));
        QCoreApplication::processEvents();
        yxtest::saveScreenshot(&frame, QStringLiteral("mainframe-page%1-details").arg(i));
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
