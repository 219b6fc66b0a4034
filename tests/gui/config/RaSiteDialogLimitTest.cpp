// The add-site fields take no more than the site list can store and read back: 255 bytes as the
// registry keeps them (GBK), so a Chinese name stops at 127 characters.
#include "config/ConfigDialogIds.h"
#include "config/RaSiteDialog.h"

#include <QLineEdit>
#include <QtTest>

class RaSiteDialogLimitTest : public QObject {
    Q_OBJECT
private slots:
    void typingStopsAtWhatFits();
};

void RaSiteDialogLimitTest::typingStopsAtWhatFits() {
    struct Case {
        int id;
        QString typed;
        qsizetype kept;
    };
    const Case cases[] = {
        {yx::res::IDC_RA_SITE_NAME, QString(200, QChar(0x5C9A)), 127}, // "岚": two bytes each
        {yx::res::IDC_RA_SITE_URL, QStringLiteral("https://") + QString(300, QLatin1Char('a')), 255},
    };
    for (const Case& c : cases) {
        CRaSiteDialog dialog(QStringLiteral("添加定制的RA网站"), QString(), QString());
        auto* edit = dialog.findChild<QLineEdit*>(QString::number(c.id));
        QVERIFY(edit);
        for (QChar ch : c.typed) // typed one character at a time, as the keyboard does
            edit->insert(QString(ch));
        QCOMPARE(edit->text().size(), c.kept);
    }
}

QTEST_MAIN(RaSiteDialogLimitTest)
#include "RaSiteDialogLimitTest.moc"
