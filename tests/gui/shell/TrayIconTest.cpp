// The tray icon: presence, tip length, removal.
#include "shell/TrayIcon.h"

#include <QtTest>

using namespace yx;

class TrayIconTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { TrayIcon::overrideAvailability(-1); }
    void longTipsAreCutToFit();
    void noTrayMeansNoIcon();
    void createSetIconRemove();
};

void TrayIconTest::longTipsAreCutToFit() {
    QCOMPARE(TrayIcon::cutTip(QStringLiteral("岚川数字钥匣")), QStringLiteral("岚川数字钥匣"));
    const QString ascii(200, QLatin1Char('a'));
    QCOMPARE(TrayIcon::cutTip(ascii), QString(127, QLatin1Char('a')));
    QCOMPARE(TrayIcon::cutTip(QString(127, QLatin1Char('b'))).size(), 127);
    // Three bytes per character: 42 fit (126 bytes), the 43rd would need 129.
    const QString chinese = QString(50, QChar(0x94A5));
    QCOMPARE(TrayIcon::cutTip(chinese), QString(42, QChar(0x94A5)));
    QVERIFY(TrayIcon::cutTip(chinese).toUtf8().size() <= TrayIcon::kMaxTipBytes);
    // A character is never split: 126 ASCII bytes leave no room for a three-byte one.
    const QString mixed = QString(126, QLatin1Char('c')) + QChar(0x94A5);
    QCOMPARE(TrayIcon::cutTip(mixed), QString(126, QLatin1Char('c')));
    // Nor a surrogate pair (four bytes).
    const QString emoji = QString(124, QLatin1Char('d')) + QString::fromUtf8("\xF0\x9F\x94\x91");
    QCOMPARE(TrayIcon::cutTip(emoji), QString(124, QLatin1Char('d')));
}

void TrayIconTest::noTrayMeansNoIcon() {
    TrayIcon::overrideAvailability(0);
    TrayIcon tray;
    QVERIFY(!tray.create(QStringLiteral("岚川数字钥匣"), QIcon(), 175));
    QVERIFY(!tray.isPresent());
    QVERIFY(!tray.setIcon(153)); // nothing to change
    tray.remove();
    tray.remove();
    QVERIFY(!tray.isPresent());
}

void TrayIconTest::createSetIconRemove() {
    TrayIcon::overrideAvailability(1);
    TrayIcon tray;
    QVERIFY(tray.create(QString(300, QLatin1Char('t')), QIcon(), 175));
    QVERIFY(tray.isPresent());
    QCOMPARE(tray.iconId(), 175);
    QCOMPARE(tray.tip().size(), 127);
    QVERIFY(tray.setIcon(153));
    QVERIFY(!tray.setIcon(4242)); // no such icon
    tray.remove();
    QVERIFY(!tray.isPresent());
    tray.remove(); // harmless
    QVERIFY(!tray.isPresent());
    QVERIFY(!tray.setIcon(153));
}

QTEST_MAIN(TrayIconTest)
#include "TrayIconTest.moc"
