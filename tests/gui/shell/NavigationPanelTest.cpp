// The navigation panel: page protocol timing, hit-testing, cursor, tooltips, layout arithmetic.
#include "shell/NavigationPanel.h"
#include "RecordingPrompt.h"
#include "ResourceIds.h"
#include "pages/Page.h"

#include <QHelpEvent>
#include <QImage>
#include <QMenu>
#include <QToolTip>
#include <QtTest>

#include <vector>

using namespace yx;

namespace {

// A page that notes how it was when it was activated.
class ProbePage : public Page {
public:
    struct Activation {
        bool visible;
        bool focused;
        bool othersHidden;
    };

    ProbePage(int index, QWidget* parent, std::vector<ProbePage*>* all)
        : Page(index, 900 + index, parent), m_all(all) {}

    std::vector<Activation> activations;

protected:
    QMenu* createOperationsMenu() override { return new QMenu; }
    void onActivate() override {
        bool othersHidden = true;
        for (ProbePage* p : *m_all)
            if (p != this && p->isVisible())
                othersHidden = false;
        activations.push_back({isVisible(), hasFocus() || focusWidget() == this, othersHidden});
    }

private:
    std::vector<ProbePage*>* m_all;
};

struct Fixture {
    NavigationPanel panel;
    std::vector<ProbePage*> pages;

    explicit Fixture(bool decorated = true) {
        if (decorated) {
            panel.setDecoration(NavigationPanel::Background, res::IDB_PANEL_BACKGROUND);
            panel.setDecoration(NavigationPanel::TopBand, res::IDB_PANEL_TOP_BAND);
            panel.setDecoration(NavigationPanel::BottomBand, res::IDB_PANEL_BOTTOM_BAND);
            panel.setDecoration(NavigationPanel::LeftBar, res::IDB_PANEL_LEFT_BAR);
            panel.setDecoration(NavigationPanel::RightStrip, res::IDB_PANEL_RIGHT_STRIP);
            panel.setDecoration(NavigationPanel::BottomLogo, res::IDB_PANEL_LOGO);
            panel.setDecoration(NavigationPanel::TitleStrip, res::IDB_PANEL_TITLE_STRIP);
        }
        const int rects[6][4] = {{0, 0, 36, 45},    {0, 56, 36, 89},   {0, 100, 36, 133},
                                 {0, 144, 36, 177}, {0, 188, 36, 221}, {0, 232, 36, 265}};
        const int bitmaps[6] = {res::IDB_NAV_LIFECYCLE, res::IDB_NAV_PERSONAL,    res::IDB_NAV_OTHER_PEOPLE,
                                res::IDB_NAV_CA,        res::IDB_NAV_SECURE_MAIL, res::IDB_NAV_FILE_ENC};
        panel.setItemCount(6);
        for (int i = 0; i < 6; ++i) {
            panel.setItemBitmap(i, bitmaps[i]);
            panel.setItemRect(i, rects[i][0], rects[i][1], rects[i][2], rects[i][3]);
            panel.setItemText(i, QStringLiteral("item %1").arg(i));
            pages.push_back(new ProbePage(i, &panel, &pages));
            pages.back()->hide();
            panel.attachPage(i, pages.back());
        }
        panel.resize(640, 480);
    }

    int totalActivations() const {
        int n = 0;
        for (ProbePage* p : pages)
            n += static_cast<int>(p->activations.size());
        return n;
    }
};

} // namespace

class NavigationPanelTest : public QObject {
    Q_OBJECT
private slots:
    void firstLayoutActivatesTheFirstPageOnce();
    void clickOnAnotherItemHidesShowsFocusesActivates();
    void clickOnTheCurrentItemSendsNoActivation();
    void clickBetweenItemsDoesNothing();
    void onlyLeftButtonSwitches();
    void handCursorOverEveryItemButTheCurrent();
    void tooltipsShowTheItemTexts();
    void pageRectangleFollowsTheDecoration();
    void pageRectangleWithoutDecorationIsTheClientArea();
    void logoIsCentredOrAtTheLeftEdgeWhenNarrow();
    void logoIsPaintedWhereComputed();
    void titleTextsByIndex();
    void itemCountIsBounded();
    void missingBitmapIsRefused();
};

void NavigationPanelTest::firstLayoutActivatesTheFirstPageOnce() {
    Fixture f;
    QCOMPARE(f.totalActivations(), 0); // nothing before the first layout
    f.panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.panel));
    QCOMPARE(f.panel.selectedIndex(), 0);
    QCOMPARE(f.pages[0]->activations.size(), size_t(1));
    QVERIFY(f.pages[0]->activations[0].visible);
    QVERIFY(f.pages[0]->activations[0].othersHidden);
    f.panel.resize(700, 500);
    QCoreApplication::processEvents();
    QCOMPARE(f.totalActivations(), 1); // later size changes only move the pages
    QCOMPARE(f.pages[0]->geometry(), f.panel.pageRect());
    QCOMPARE(f.pages[3]->geometry(), f.panel.pageRect());
}

void NavigationPanelTest::clickOnAnotherItemHidesShowsFocusesActivates() {
    Fixture f;
    f.panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.panel));
    f.panel.activateWindow();
    QSignalSpy shown(&f.panel, &NavigationPanel::pageShown);
    QTest::mouseClick(&f.panel, Qt::LeftButton, {}, QPoint(10, 150));
    QCOMPARE(f.panel.selectedIndex(), 3);
    QCOMPARE(f.pages[3]->activations.size(), size_t(1));
    const auto& a = f.pages[3]->activations[0];
    QVERIFY(a.visible);
    QVERIFY(a.othersHidden);
    QVERIFY(a.focused);
    QVERIFY(!f.pages[0]->isVisible());
    QCOMPARE(shown.count(), 1);
    QCOMPARE(shown.at(0).at(0).toInt(), 3);
    // Back to the first item: activated a second time.
    QTest::mouseClick(&f.panel, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(f.panel.selectedIndex(), 0);
    QCOMPARE(f.pages[0]->activations.size(), size_t(2));
    QVERIFY(!f.pages[3]->isVisible());
}

void NavigationPanelTest::clickOnTheCurrentItemSendsNoActivation() {
    Fixture f;
    f.panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.panel));
    QTest::mouseClick(&f.panel, Qt::LeftButton, {}, QPoint(18, 70)); // item 1
    QCOMPARE(f.totalActivations(), 2);
    QTest::mouseClick(&f.panel, Qt::LeftButton, {}, QPoint(18, 70));
    QTest::mouseClick(&f.panel, Qt::LeftButton, {}, QPoint(0, 56)); // its top-left corner
    QCOMPARE(f.totalActivations(), 2);
    QCOMPARE(f.panel.selectedIndex(), 1);
}

void NavigationPanelTest::clickBetweenItemsDoesNothing() {
    Fixture f;
    f.panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.panel));
    // Between items 0 and 1, on the right and bottom edges (outside), beside the bar, below it.
    for (const QPoint p : {QPoint(10, 50), QPoint(10, 45), QPoint(36, 70), QPoint(10, 89), QPoint(10, 95),
                           QPoint(200, 150), QPoint(10, 300)}) {
        QCOMPARE(f.panel.hitTest(p), -1);
        QTest::mouseClick(&f.panel, Qt::LeftButton, {}, p);
    }
    QCOMPARE(f.panel.selectedIndex(), 0);
    QCOMPARE(f.totalActivations(), 1);
    QCOMPARE(f.panel.hitTest(QPoint(35, 88)), 1); // the last pixel inside item 1
}

void NavigationPanelTest::onlyLeftButtonSwitches() {
    Fixture f;
    f.panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.panel));
    QTest::mouseClick(&f.panel, Qt::RightButton, {}, QPoint(18, 250));
    QCOMPARE(f.panel.selectedIndex(), 0);
    QTest::mouseClick(&f.panel, Qt::LeftButton, {}, QPoint(18, 250));
    QCOMPARE(f.panel.selectedIndex(), 5);
}

void NavigationPanelTest::handCursorOverEveryItemButTheCurrent() {
    Fixture f;
    f.panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.panel));
    auto cursorAt = [&](QPoint p) {
        QMouseEvent move(QEvent::MouseMove, p, f.panel.mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&f.panel, &move);
        return f.panel.cursor().shape();
    };
    QCOMPARE(cursorAt(QPoint(18, 20)), Qt::ArrowCursor); // current item
    for (int i = 1; i < 6; ++i)
        QCOMPARE(cursorAt(f.panel.itemRect(i).center()), Qt::PointingHandCursor);
    QCOMPARE(cursorAt(QPoint(18, 50)), Qt::ArrowCursor);
    QCOMPARE(cursorAt(QPoint(300, 200)), Qt::ArrowCursor);
    // After switching, the new current item loses the hand and the old one gets it.
    QTest::mouseClick(&f.panel, Qt::LeftButton, {}, f.panel.itemRect(4).center());
    QCOMPARE(cursorAt(f.panel.itemRect(4).center()), Qt::ArrowCursor);
    QCOMPARE(cursorAt(QPoint(18, 20)), Qt::PointingHandCursor);
}

void NavigationPanelTest::tooltipsShowTheItemTexts() {
    Fixture f;
    f.panel.setItemText(2, QStringLiteral("其他人证书库"));
    f.panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.panel));
    const QPoint p = f.panel.itemRect(2).center();
    QHelpEvent help(QEvent::ToolTip, p, f.panel.mapToGlobal(p));
    QCoreApplication::sendEvent(&f.panel, &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("其他人证书库"));
    // The current item has its tooltip too; between items there is none.
    QCOMPARE(f.panel.itemAt(QPoint(5, 5)), 0);
    const QPoint gap(18, 50);
    QHelpEvent none(QEvent::ToolTip, gap, f.panel.mapToGlobal(gap));
    QCoreApplication::sendEvent(&f.panel, &none);
    QTRY_VERIFY(!QToolTip::isVisible());
}

void NavigationPanelTest::pageRectangleFollowsTheDecoration() {
    Fixture f;
    const QSize left = f.panel.decorationSize(NavigationPanel::LeftBar);
    const QSize top = f.panel.decorationSize(NavigationPanel::TopBand);
    const QSize title = f.panel.decorationSize(NavigationPanel::TitleStrip);
    const QSize right = f.panel.decorationSize(NavigationPanel::RightStrip);
    const QSize bottom = f.panel.decorationSize(NavigationPanel::BottomBand);
    // The artwork is what the frame gives the panel: the left bar is wider than the item bar.
    QVERIFY(left.width() >= 36);
    QVERIFY(top.height() > 0 && title.height() > 0 && right.width() > 0 && bottom.height() > 0);
    for (const QSize size : {QSize(640, 480), QSize(300, 500), QSize(1024, 700)}) {
        f.panel.resize(size);
        const QRect r = f.panel.pageRect();
        QCOMPARE(r.left(), left.width());
        QCOMPARE(r.top(), top.height() + title.height());
        QCOMPARE(r.left() + r.width(), size.width() - right.width());
        QCOMPARE(r.top() + r.height(), size.height() - bottom.height());
    }
    f.panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.panel));
    f.panel.resize(800, 600);
    QCoreApplication::processEvents();
    for (ProbePage* p : f.pages)
        QCOMPARE(p->geometry(), f.panel.pageRect());
    QCOMPARE(f.panel.titlePosition(), QPoint(left.width() + 2, top.height() + 2));
}

void NavigationPanelTest::pageRectangleWithoutDecorationIsTheClientArea() {
    Fixture f(false);
    f.panel.resize(400, 300);
    QCOMPARE(f.panel.pageRect(), QRect(0, 0, 400, 300));
    QCOMPARE(f.panel.titlePosition(), QPoint(2, 2));
}

void NavigationPanelTest::logoIsCentredOrAtTheLeftEdgeWhenNarrow() {
    Fixture f;
    const int leftBar = f.panel.decorationSize(NavigationPanel::LeftBar).width();
    const QSize logo = f.panel.decorationSize(NavigationPanel::BottomLogo);
    const int band = f.panel.decorationSize(NavigationPanel::BottomBand).height();
    QVERIFY(logo.width() > 0);
    // (width - logo - left bar) / 2 < 1 puts the logo at the left edge: the widest such width
    // is logo + left bar + 1.
    const int narrow = logo.width() + leftBar + 1;
    f.panel.resize(narrow, 400);
    QCOMPARE(f.panel.logoPosition(), QPoint(0, 400 - (logo.height() + band) / 2));
    f.panel.resize(narrow + 1, 400);
    QCOMPARE(f.panel.logoPosition().x(), (narrow + 1 + leftBar - logo.width()) / 2);
    QVERIFY(f.panel.logoPosition().x() > 0);
    f.panel.resize(777, 555);
    QCOMPARE(f.panel.logoPosition(),
             QPoint((777 + leftBar - logo.width()) / 2, 555 - (logo.height() + band) / 2));
    // Centred on the band right of the left bar.
    const int centre = f.panel.logoPosition().x() + logo.width() / 2;
    QVERIFY(qAbs(centre - (leftBar + (777 - leftBar) / 2)) <= 1);
}

void NavigationPanelTest::logoIsPaintedWhereComputed() {
    Fixture f;
    f.panel.resize(600, 400);
    f.panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.panel));
    const QImage shot = f.panel.grab().toImage().scaled(f.panel.size());
    const QRect logo = f.panel.logoRect();
    const QColor background = shot.pixelColor(logo.left() - 20, logo.center().y());
    // The logo differs from the band beside it somewhere inside its rectangle.
    bool drawn = false;
    for (int x = logo.left(); x < logo.right() && !drawn; ++x)
        drawn = shot.pixelColor(x, logo.center().y()) != background;
    QVERIFY(drawn);
    // The item bar shows the selected item highlighted: item 0 differs from item 1 in colour.
    QVERIFY(shot.pixelColor(6, 22) != shot.pixelColor(6, 72));
}

void NavigationPanelTest::titleTextsByIndex() {
    const QStringList expected = {QStringLiteral("证书生命周期管理"), QStringLiteral("个人证书管理"),
                                  QStringLiteral("其他人证书管理"),   QStringLiteral("CA证书管理"),
                                  QStringLiteral("安全邮件配置"),     QStringLiteral("文件加密")};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(NavigationPanel::titleText(i), expected[i]);
    QVERIFY(NavigationPanel::titleText(6).isEmpty());
    QVERIFY(NavigationPanel::titleText(-1).isEmpty());
    QCOMPARE(NavigationPanel::titleColor(), QColor(0, 31, 77));
    QCOMPARE(NavigationPanel::toolTipColor(), QColor(231, 236, 247));
}

void NavigationPanelTest::itemCountIsBounded() {
    NavigationPanel panel;
    panel.setItemCount(25);
    QCOMPARE(panel.itemCount(), NavigationPanel::kMaxItems);
    panel.setItemRect(12, 0, 0, 10, 10); // ignored
    QCOMPARE(panel.itemRect(12), QRect());
    QVERIFY(panel.page(3) == nullptr);
}

void NavigationPanelTest::missingBitmapIsRefused() {
    NavigationPanel panel;
    QVERIFY(!panel.setDecoration(NavigationPanel::Background, 4242));
    QCOMPARE(panel.decorationSize(NavigationPanel::Background), QSize(0, 0));
    QVERIFY(panel.setDecoration(NavigationPanel::Background, res::IDB_PANEL_BACKGROUND));
}

QTEST_MAIN(NavigationPanelTest)
#include "NavigationPanelTest.moc"
