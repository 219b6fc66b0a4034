// The desktop prompt's classic filters turned into Qt's.
#include "prompt/QtPrompt.h"
#include "prompt/FileFilter.h"

#include <QtTest>

using namespace yx;

class QtPromptTest : public QObject {
    Q_OBJECT
private slots:
    void classicFiltersBecomeQtFilters_data();
    void classicFiltersBecomeQtFilters();
};

void QtPromptTest::classicFiltersBecomeQtFilters_data() {
    QTest::addColumn<QString>("classic");
    QTest::addColumn<QStringList>("qt");
    QTest::newRow("two") << "A(*.a)|*.a|All(*.*)|*.*||" << QStringList{"A (*.a)", "All (*)"};
    QTest::newRow("chinese") << "PFX 文件(*.pfx;*.p12)|*.pfx;*.p12|所有文件(*.*)|*.*||"
                             << QStringList{"PFX 文件 (*.pfx *.p12)", "所有文件 (*)"};
    QTest::newRow("no parens") << "证书文件|*.cer;*.crt|" << QStringList{"证书文件 (*.cer *.crt)"};
    QTest::newRow("patterns decide") << "Text (*.doc)|*.txt||" << QStringList{"Text (*.txt)"};
    QTest::newRow("no trailing bars") << "K|*.kvx" << QStringList{"K (*.kvx)"};
    QTest::newRow("empty pattern") << "Any||" << QStringList{};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("only star") << "Alles|*||" << QStringList{"Alles (*)"};
}

void QtPromptTest::classicFiltersBecomeQtFilters() {
    QFETCH(QString, classic);
    QFETCH(QStringList, qt);
    QCOMPARE(qtNameFilters(classic.toStdString()), qt);
    QCOMPARE(qtFilterString(classic.toStdString()), qt.join(QStringLiteral(";;")));
}

QTEST_MAIN(QtPromptTest)
#include "QtPromptTest.moc"
