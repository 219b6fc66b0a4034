// A row's size is measured once, and again when its text changes or the rows shift under it.
#include "widgets/ItemSizeCache.h"

#include <QStandardItemModel>
#include <QTest>

class ItemSizeCacheTest : public QObject {
    Q_OBJECT
private slots:
    void sizesFollowTheRows() {
        QStandardItemModel model;
        for (const char* text : {"a", "bb"})
            model.appendRow(new QStandardItem(QString::fromLatin1(text)));
        yx::ItemSizeCache cache;
        cache.watch(&model, 0);
        QStyleOptionViewItem option;
        const auto width = [&](int row) { return cache.sizeHint(option, model.index(row, 0)).width(); };
        const int narrow = width(1);
        model.item(1)->setText(QString(30, QLatin1Char('W')));
        const int wide = width(1);
        QVERIFY(wide > narrow);
        model.insertRow(0, new QStandardItem(QStringLiteral("c")));
        QCOMPARE(width(2), wide);
        model.removeRow(0);
        QCOMPARE(width(1), wide);
        QVERIFY(width(0) < wide);
    }
};

QTEST_MAIN(ItemSizeCacheTest)
#include "ItemSizeCacheTest.moc"
