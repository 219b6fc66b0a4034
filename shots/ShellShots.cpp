// The main window on each page and the about box.
#include "Shots.h"

#include "ResourceIds.h"
#include "pages/Page.h"
#include "shell/MainFrame.h"
#include "shell/NavigationPanel.h"
#include "widgets/AboutDialog.h"

#include <QTest>

YX_SHOTS(shell) {
    yx::MainFrame frame;
    frame.resize(860, 540);
    frame.show();
    yx::NavigationPanel* panel = frame.panel();
    for (int i = 0; i < yx::kPageCount; ++i) {
        QTest::mouseClick(panel, Qt::LeftButton, {}, panel->itemRect(i).center());
        shots.save(&frame, QStringLiteral("mainframe-page%1").arg(i));
    }
    for (int i : {yx::kPagePersonal, yx::kPageOtherPeople}) {
        QTest::mouseClick(panel, Qt::LeftButton, {}, panel->itemRect(i).center());
        frame.onCommand(yx::res::ID_VIEW_DETAILS);
        shots.save(&frame, QStringLiteral("mainframe-page%1-details").arg(i));
    }
    yx::AboutDialog about;
    shots.save(&about, QStringLiteral("aboutbox"));
}
