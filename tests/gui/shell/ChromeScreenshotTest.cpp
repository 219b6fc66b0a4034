// What a user meets first, with the real Qt prompt: message boxes over their owner (centred on
// the screen when the owner is not shown), Qt's chrome in Chinese, and the decrypt error for a
// bad preset file.
#include "GuiTestEnv.h"
#include "ResourceIds.h"
#include "UserPrompt.h"
#include "pages/FileEncPage.h"
#include "prompt/QtPrompt.h"
#include "shell/Application.h"

#include <QDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace yx;

namespace {

// Runs `inspect` on the next modal window once it is shown, then closes it.
void onNextModal(std::function<void(QWidget*)> inspect) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, inspect] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        QTest::qWait(30); // laid out and painted
        inspect(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
    });
    timer->start(20);
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

    void messageBoxSitsOverItsOwner();
    void badPresetFileErrorIsCentred();

private:
    QtPrompt m_prompt;
};

void ChromeScreenshotTest::messageBoxSitsOverItsOwner() {
    struct Case {
        const char* picture;
        bool ownerShown;
    };
    for (const Case c : {Case{"messagebox-over-owner", true}, Case{"messagebox-owner-hidden", false}}) {
        QWidget owner;
        owner.setGeometry(60, 80, 640, 420);
        if (c.ownerShown) {
            owner.show();
            QVERIFY(QTest::qWaitForWindowExposed(&owner));
        }
        QPoint centre;
        onNextModal([&](QWidget* box) { centre = box->frameGeometry().center(); });
        showMessage("您所指定的文件已经存在，要覆盖它吗？", MsgIcon::Warning, MsgButtons::YesNo, &owner);
        QVERIFY2(near(centre, c.ownerShown ? owner.frameGeometry().center() : screenCentre()), c.picture);
    }
}

void ChromeScreenshotTest::badPresetFileErrorIsCentred() {
    yxtest::ScopedGuiEnv env;
    const QString bad = env.root() + QStringLiteral("/损坏的文件.kvx");
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("this is no encrypted file");
    f.close();
    QPoint centre;
    bool parentless = false;
    onNextModal([&](QWidget* box) {
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

QTEST_MAIN(ChromeScreenshotTest)
#include "ChromeScreenshotTest.moc"
