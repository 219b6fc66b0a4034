// A row's size is measured once, and again when its text changes or the rows shift under it.
#include "widgets/ItemSizeCache.h"

#include <QListView>
#include <QProxyStyle>
#include <QStandardItemModel>
#include <QTest>

namespace {

// A style whose items take more room around their text than the default one.
struct RoomyStyle : QProxyStyle {
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        const int base = QProxyStyle::pixelMetric(metric, option, widget);
        return metric == PM_FocusFrameHMargin ? base + 20 : base;
    }
};

} // namespace

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

    void aNewStyleOfTheViewMeasuresAgain() {
        QStandardItemModel model;
        model.appendRow(new QStandardItem(QStringLiteral("名称")));
        QListView view;
        auto* cache = new yx::ItemSizeCache(&view);
        cache->watch(&model, 0);
        QStyleOptionViewItem option;
        option.widget = &view;
        const int before = cache->sizeHint(option, model.index(0, 0)).width();
        RoomyStyle roomy;
        view.setStyle(&roomy);
        QCOMPARE(cache->sizeHint(option, model.index(0, 0)).width(), before + 40);
    }
};

QTEST_MAIN(ItemSizeCacheTest)
#include "ItemSizeCacheTest.moc"
