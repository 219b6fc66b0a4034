// The file-encryption page's "查看" menu shows which view is current, as the certificate pages do.
#include "GuiTestEnv.h"
#include "MenuResources.h"
#include "RecordingPrompt.h"
#include "ResourceIds.h"
#include "pages/Page.h"
#include "shell/MainFrame.h"
#include "shell/NavigationPanel.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

using namespace yx;

class FileEncViewMarkTest : public QObject {
    Q_OBJECT
private slots:
    void viewMenuChecksTheCurrentView();
};

void FileEncViewMarkTest::viewMenuChecksTheCurrentView() {
    yxtest::ScopedGuiEnv env;
    yxtest::RecordingPrompt prompt;
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

QTEST_MAIN(FileEncViewMarkTest)
#include "FileEncViewMarkTest.moc"
