// What a user meets first, with the real Qt prompt: message boxes over their owner (centred on
// the screen when the owner is not shown), Qt's chrome in Chinese, and the decrypt error for a
// bad preset file. Last, the main window comes back with the size, position and maximised state
// the user left it in; the first start keeps the initial size.
#include "DialogDriver.h"
#include "GuiTestEnv.h"
#include "RecordingPrompt.h"
#include "ResourceIds.h"
#include "UserPrompt.h"
#include "pages/FileEncPage.h"
#include "prompt/QtPrompt.h"
#include "shell/Application.h"
#include "shell/MainFrame.h"
#include "shell/TrayIcon.h"

#include <QMessageBox>
#include <QScreen>
#include <QtTest>

#include <functional>

using namespace yx;

namespace {

// Runs `look` on the next modal window once it is laid out and painted, then closes it.
void onNextModal(yxtest::ModalScript& script, std::function<void(QWidget*)> look) {
    script.on(0, [look](QDialog* modal) {
        QTest::qWait(30);
        look(modal);
        modal->reject();
    });
}

QPoint screenCentre() {
    return QGuiApplication::primaryScreen()->availableGeometry().center();
}

bool near(QPoint a, QPoint b) {
    return (a - b).manhattanLength() < 40;
}

} // namespace

class ChromeScreenshotTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        setUpApplication(); // Qt's Chinese chrome, as the program has it
        setPrompt(&m_prompt);
        // Captions stay exactly the program's: no display name for Qt to append to them.
        QVERIFY(QGuiApplication::applicationDisplayName() == QCoreApplication::applicationName());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    }
    void cleanupTestCase() { setPrompt(nullptr); }

    void messageBoxSitsOverItsOwner() {
        for (bool ownerShown : {true, false}) {
            QWidget owner;
            owner.setGeometry(60, 80, 640, 420);
            if (ownerShown) {
                owner.show();
                QVERIFY(QTest::qWaitForWindowExposed(&owner));
            }
            QPoint centre;
            yxtest::ModalScript script;
            onNextModal(script, [&](QWidget* box) { centre = box->frameGeometry().center(); });
            showMessage("您所指定的文件已经存在，要覆盖它吗？", MsgIcon::Warning, MsgButtons::YesNo, &owner);
            QVERIFY2(near(centre, ownerShown ? owner.frameGeometry().center() : screenCentre()),
                     ownerShown ? "over the owner" : "owner hidden: screen centre");
        }
    }

    void badPresetFileErrorIsCentred() {
        yxtest::ScopedGuiEnv env;
        const QString bad = env.root() + QStringLiteral("/损坏的文件.kvx");
        QVERIFY(yxtest::writeText(bad, "this is no encrypted file"));
        QPoint centre;
        bool parentless = false;
        yxtest::ModalScript script;
        onNextModal(script, [&](QWidget* box) {
            QVERIFY(qobject_cast<QMessageBox*>(box));
            parentless = box->parentWidget() == nullptr;
            centre = box->frameGeometry().center();
        });
        FileEncPage page; // never shown, as for "/D"
        page.SetPresetPath(bad);
        page.onCommand(res::ID_FILE_DECRYPT);
        QVERIFY(parentless);
        QVERIFY(near(centre, screenCentre()));
    }

    void mainFrameRestoresWhatTheUserLeft() {
        TrayIcon::overrideAvailability(1); // closing goes to the tray
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

private:
    QtPrompt m_prompt;
};

QTEST_MAIN(ChromeScreenshotTest)
#include "ChromeScreenshotTest.moc"
