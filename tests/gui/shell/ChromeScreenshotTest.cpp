// What a user meets first, with the real Qt prompt: message boxes over their owner (centred on
// the screen when the owner is not shown), Qt's chrome in Chinese, the decrypt error for a bad
// preset file, and the certificate chooser with long names.
#include "CertStore.h"
#include "GuiTestEnv.h"
#include "ResourceIds.h"
#include "TestPki.h"
#include "UserPrompt.h"
#include "dialogs/DlgSelectCert.h"
#include "dialogs/EncDialogIds.h"
#include "pages/FileEncPage.h"
#include "prompt/QtPrompt.h"
#include "shell/Application.h"

#include <QDialog>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
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
    void fileChooserSpeaksChinese();
    void badPresetFileErrorIsCentred();
    void certificateChooserWidensLongNames();

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
        onNextModal([&](QWidget* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("钥匣"));
            centre = box->frameGeometry().center();
        });
        showMessage("您所指定的文件已经存在，要覆盖它吗？", MsgIcon::Warning, MsgButtons::YesNo, &owner);
        QVERIFY2(near(centre, c.ownerShown ? owner.frameGeometry().center() : screenCentre()), c.picture);
    }
}

void ChromeScreenshotTest::fileChooserSpeaksChinese() {
    QStringList texts;
    onNextModal([&](QWidget* chooser) {
        QVERIFY(qobject_cast<QFileDialog*>(chooser));
        for (const QLabel* label : chooser->findChildren<QLabel*>())
            texts << label->text();
    });
    FileChooserRequest request;
    request.filter = "KVX 文件(*.kvx)|*.kvx|所有文件 (*.*)|*.*||";
    request.initialPath = QDir::tempPath().toStdString();
    QVERIFY(!prompt().chooseFile(request));
    QVERIFY2(texts.join(QLatin1Char('|')).contains(QStringLiteral("文件名")), qPrintable(texts.join('|')));
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

void ChromeScreenshotTest::certificateChooserWidensLongNames() {
    yxtest::ScopedGuiEnv env;
    yxtest::TestCa ca("岚川数字科技股份有限公司华东区域证书认证中心");
    for (const char* cn :
         {"岚川数字科技股份有限公司华东区域客户服务中心 张伟伟", "Alice Wonderland-Whitfield"}) {
        yxtest::CertProfile profile;
        profile.cn = cn;
        QVERIFY(makeDiskStoreBackend("other")->add(ca.issue(profile).der(), {}, std::nullopt, ""));
    }
    COtherCertStore store;
    QCOMPARE(store.OpenCertStore(), 0);
    CDlgSelectCert chooser(&store, QStringLiteral("选择证书"));
    chooser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chooser));
    QTest::qWait(50);
    auto* list = chooser.findChild<QTreeWidget*>(QString::number(res::IDC_SELCERT_LIST));
    QVERIFY(list);
    const int half = list->viewport()->width() / 2;
    for (int column : {0, 1}) {
        const int width = list->header()->sectionSize(column);
        QVERIFY2(width > 80, qPrintable(QString::number(width)));
        QVERIFY(width <= std::max(half, 80));
    }
}

QTEST_MAIN(ChromeScreenshotTest)
#include "ChromeScreenshotTest.moc"
