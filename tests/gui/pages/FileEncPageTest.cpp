// The file encryption page: files dropped on it are encrypted or decrypted, other drops refused;
// its "查看" menu shows which view is current, as the certificate pages do.
#include "../encryption/EncTestKit.h"

#include "MenuResources.h"
#include "ResourceIds.h"
#include "encryption/EncDialogIds.h"
#include "pages/FileEncPage.h"
#include "shell/MainFrame.h"
#include "shell/NavigationPanel.h"

#include <QListView>
#include <QMenu>
#include <QTreeView>
#include <QtTest>

using namespace yx;
using namespace yxtest;

namespace {

bool dropOn(QWidget* target, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint pos(10, 10);
    QDragEnterEvent enter(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(pos), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

} // namespace

class FileEncPageTest : public QObject, public FreshGuiTest {
    Q_OBJECT
    std::unique_ptr<FileEncPage> shownPage() {
        auto page = std::make_unique<FileEncPage>();
        page->resize(500, 300);
        page->show();
        return QTest::qWaitForWindowExposed(page.get()) ? std::move(page) : nullptr;
    }

private slots:
    void init() { startTest(); }
    void cleanup() { endTest(); }

    void droppedFileIsEncrypted() {
        const QString first = m_env->root() + QStringLiteral("/拖放 \"一\".txt");
        const QString second = m_env->root() + QStringLiteral("/second.txt");
        QVERIFY(writeText(first, "1"));
        QVERIFY(writeText(second, "2"));
        auto page = shownPage();
        QVERIFY(page);
        ModalScript script;
        script.on(res::IDD_ENCRYPT_FILE, [first](QDialog* d) {
            QCOMPARE(textOf(d, res::IDC_ENC_SOURCE), first);
            QCOMPARE(textOf(d, res::IDC_ENC_TARGET), first + QStringLiteral(".kvx"));
            d->reject();
        });
        QVERIFY(dropOn(page->iconView()->viewport(), {QUrl::fromLocalFile(first)}));
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));

        // Two files go to one recipients dialog, which names them but lets neither be edited.
        ModalScript both;
        both.on(res::IDD_ENCRYPT_FILE, [first](QDialog* d) {
            QVERIFY(textOf(d, res::IDC_ENC_SOURCE).startsWith(first));
            QVERIFY(control<QLineEdit>(d, res::IDC_ENC_TARGET)->isReadOnly());
            d->reject();
        });
        QVERIFY(
            dropOn(page->iconView()->viewport(), {QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)}));
        QVERIFY2(both.waitFinished(), qPrintable(both.failure()));
    }

    void droppedKvxFileIsDecrypted() {
        const QString encrypted = m_env->root() + QStringLiteral("/旧文件.KVX");
        QVERIFY(writeText(encrypted, "not really encrypted"));
        auto page = shownPage();
        QVERIFY(page);
        page->onCommand(res::ID_PAGE_VIEW_DETAILS);
        QVERIFY(dropOn(page->detailsView()->viewport(), {QUrl::fromLocalFile(encrypted)}));
        // The decrypt dialog reads the file's head; this one is no encrypted file, so the dialog
        // reports that and closes, and no encrypt dialog comes up.
        QVERIFY(staysWithoutDialog(500));
        QCOMPARE(m_prompt->texts(), std::vector<std::string>{"加密文件格式错误！"});
    }

    void foreignDropsAreRefused() {
        auto page = shownPage();
        QVERIFY(page);
        QVERIFY(!dropOn(page->iconView()->viewport(), {QUrl(QStringLiteral("https://example.com/a.txt"))}));
        QVERIFY(!dropOn(page->iconView()->viewport(), {}));
        QVERIFY(staysWithoutDialog());
    }

    void viewMenuChecksTheCurrentView() {
        MainFrame frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        NavigationPanel* panel = frame.panel();
        QTest::mouseClick(panel, Qt::LeftButton, {}, panel->itemRect(kPageFileEnc).center());
        QCOMPARE(frame.currentPageIndex(), kPageFileEnc);
        const int views[] = {res::ID_VIEW_LARGE_ICONS, res::ID_VIEW_SMALL_ICONS, res::ID_VIEW_LIST,
                             res::ID_VIEW_DETAILS};
        for (int chosen : {res::ID_VIEW_DETAILS, res::ID_VIEW_LIST, res::ID_VIEW_LARGE_ICONS}) {
            QVERIFY(frame.onCommand(chosen));
            QMenu* view = frame.menuAt(res::kMenuPosView);
            QVERIFY(view);
            for (int id : views) {
                QAction* action = menus::findCommand(view, id);
                QVERIFY(action);
                QCOMPARE(action->isChecked(), id == chosen);
            }
        }
    }
};

QTEST_MAIN(FileEncPageTest)
#include "FileEncPageTest.moc"
