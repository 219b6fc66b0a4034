// Columns widen to their rows: rows that arrive below the screen once the owner asks (a long load
// has ended), never over a width the user has set.
#include "widgets/ColumnFit.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

class ColumnFitTest : public QObject {
    Q_OBJECT
private slots:
    void rowsBelowTheScreenWidenWhenAskedUnlessTheUserResized() {
        QStandardItemModel model(0, 1);
        QTreeView view;
        view.setModel(&model);
        view.resize(600, 200);
        view.header()->setStretchLastSection(false);
        yx::ColumnFit* fit = yx::ColumnFit::install(&view, {0});
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        for (int i = 0; i < 40; ++i)
            model.appendRow(new QStandardItem(QString::number(i)));
        const QString wide(20, QLatin1Char('W'));
        model.appendRow(new QStandardItem(wide));
        QCoreApplication::processEvents();
        const int narrow = view.header()->sectionSize(0);
        QVERIFY(narrow < view.fontMetrics().horizontalAdvance(wide));
        fit->fit();
        QVERIFY(view.header()->sectionSize(0) >= view.fontMetrics().horizontalAdvance(wide));

        QTest::mousePress(view.header()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        view.header()->resizeSection(0, narrow); // as a drag of the section's edge does
        QTest::mouseRelease(view.header()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        fit->fit();
        QCOMPARE(view.header()->sectionSize(0), narrow);
    }
};

QTEST_MAIN(ColumnFitTest)
#include "ColumnFitTest.moc"
