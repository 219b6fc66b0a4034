// The desktop prompt's pieces that can run unattended: filter conversion, the recording prompt.
#include "RecordingPrompt.h"
#include "prompt/FileFilter.h"

#include <QtTest>

using namespace yx;

class QtPromptTest : public QObject {
    Q_OBJECT
private slots:
    void classicFiltersBecomeQtFilters_data();
    void classicFiltersBecomeQtFilters();
    void recordingPromptAnswersFromItsQueues();
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

void QtPromptTest::recordingPromptAnswersFromItsQueues() {
    {
        yxtest::RecordingPrompt rec;
        QCOMPARE(&prompt(), static_cast<UserPrompt*>(&rec));
        rec.answer(MsgAnswer::No);
        QCOMPARE(showMessage("q1", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::No);
        QCOMPARE(showMessage("q2", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::Yes); // default
        rec.defaultYes = false;
        QCOMPARE(showMessage("q3", MsgIcon::Question, MsgButtons::OkCancel), MsgAnswer::Cancel);
        QCOMPARE(showMessage("i", MsgIcon::Information), MsgAnswer::Ok);
        QCOMPARE(rec.messages.size(), size_t(4));
        QCOMPARE(rec.messages[0].caption, std::string("钥匣"));
        QVERIFY(rec.shown("q3"));
        QVERIFY(!rec.shown("q4"));
        rec.chooseFileAnswer(std::string("/tmp/x.pfx"));
        FileChooserRequest req;
        req.filter = "P|*.pfx||";
        QCOMPARE(prompt().chooseFile(req), std::optional<std::string>("/tmp/x.pfx"));
        QCOMPARE(prompt().chooseFile(req), std::nullopt);
        QCOMPARE(rec.fileRequests.size(), size_t(2));
        rec.openSucceeds = false;
        QVERIFY(!prompt().openWithDesktop("/tmp/a"));
        rec.programResult = 3;
        QCOMPARE(prompt().runProgram({"p", "a"}, true), 3);
        QCOMPARE(rec.programs[0].argv, (std::vector<std::string>{"p", "a"}));
        QVERIFY(rec.programs[0].wait);
    }
    QVERIFY(dynamic_cast<ConsolePrompt*>(&prompt())); // back to the console prompt
}

QTEST_MAIN(QtPromptTest)
#include "QtPromptTest.moc"
