// Several files from the command line as one job: which argument vectors name several files,
// and "/M" then "/D" over a selection with a bad file and a kept target among good ones, driven
// through the recipients dialog, the up-front overwrite question and the progress window.
#include "DialogDriver.h"
#include "FileEncTestKit.h"

#include "ResourceIds.h"
#include "encryption/DlgBatchProgress.h"
#include "encryption/EncDialogIds.h"
#include "shell/CommandLine.h"

#include <QTreeWidget>
#include <QtTest>

#include <algorithm>

using namespace yx;
using namespace yxtest;

class BatchFlowTest : public QObject, public FreshGuiTest {
    Q_OBJECT
private slots:
    void init() {
        startTest();
        m_people = std::make_unique<FileEncPeople>();
        m_people->addOwnCertificate("发件人", "me@example.com");
    }
    void cleanup() {
        m_people.reset();
        endTest();
    }
    void namesSeveralFiles_data();
    void namesSeveralFiles();
    void mailThenDecryptASelection();

private:
    // Runs the progress window to its end, then reads each row's outcome and closes it.
    static void finishJob(QDialog* d, QStringList& rows) {
        auto* window = qobject_cast<CDlgBatchProgress*>(d);
        QVERIFY(window);
        QTRY_VERIFY_WITH_TIMEOUT(window->jobEnded(), 20000);
        auto* list = control<QTreeWidget>(d, res::IDC_BATCH_FILES);
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            rows << list->topLevelItem(i)->text(1);
        click(d, res::IDCANCEL); // "关闭"
    }
    std::unique_ptr<FileEncPeople> m_people;
};

void BatchFlowTest::namesSeveralFiles_data() {
    QTest::addColumn<QStringList>("args"); // "@X" stands for the file X the test makes
    QTest::addColumn<int>("count");        // 0: one file, the single-file reading
    QTest::addColumn<int>("op");
    QTest::newRow("switch apart") << QStringList{"/E", "@A", "@B"} << 2 << int(CommandLineOp::Encrypt);
    QTest::newRow("switch on the first path")
        << QStringList{"/D@A", "@B"} << 2 << int(CommandLineOp::Decrypt);
    QTest::newRow("mail") << QStringList{"/M", "@A", "@B", "@A"} << 3 << int(CommandLineOp::Mail);
    QTest::newRow("one path") << QStringList{"/E", "@A"} << 0 << 0;
    QTest::newRow("unquoted path with a blank") << QStringList{"/E", "@my", "file"} << 0 << 0;
    QTest::newRow("existing files, no switch") << QStringList{"@A", "@B"} << 2 << int(CommandLineOp::Decrypt);
    QTest::newRow("lower-case switch stays one path") << QStringList{"/e", "@A"} << 0 << 0;
    QTest::newRow("configuration takes no files") << QStringList{"/C", "@A", "@B"} << 0 << 0;
}

void BatchFlowTest::namesSeveralFiles() {
    QFETCH(QStringList, args);
    QFETCH(int, count);
    QFETCH(int, op);
    const QString root = m_env->root();
    for (const char* name : {"/A", "/B", "/my file"})
        QVERIFY(writeText(root + name, "x"));
    for (QString& arg : args)
        arg.replace(QLatin1Char('@'), root + QLatin1Char('/'));
    CommandLineOp got = CommandLineOp::Configure;
    const QStringList files = yx::severalFiles(args, got);
    QCOMPARE(files.size(), count);
    if (count)
        QCOMPARE(int(got), op);
}

void BatchFlowTest::mailThenDecryptASelection() {
    const QString dir = m_env->root();
    const QStringList sources = {dir + "/a.txt", dir + "/empty.txt", dir + "/kept.txt", dir + "/c.txt"};
    QVERIFY(writeText(sources[0], "first"));
    QVERIFY(writeText(sources[1], ""));
    QVERIFY(writeText(sources[2], "third"));
    QVERIFY(writeText(sources[3], "fourth"));
    QVERIFY(writeText(dir + "/kept.txt.kvx", "keep me"));
    m_prompt->answer(MsgAnswer::No); // the one overwrite question: keep kept.txt.kvx

    QStringList rows;
    ModalScript script;
    script.on(res::IDD_ENCRYPT_FILE, [](QDialog* d) { click(d, res::IDOK); });
    script.on(res::IDD_BATCH_PROGRESS, [&](QDialog* d) { finishJob(d, rows); });
    QCOMPARE(runCommandLine(QStringList{"/M"} + sources), 0);
    QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[0], QStringLiteral("完成"));
    QCOMPARE(rows[1], QStringLiteral("失败：源文件内容为空！"));
    QVERIFY(rows[2].startsWith(QStringLiteral("已跳过")));
    QCOMPARE(rows[3], QStringLiteral("完成"));
    QVERIFY(!QFile::exists(dir + "/empty.txt.kvx"));
    QCOMPARE(readAll(dir + "/kept.txt.kvx"), QByteArray("keep me"));
    // One message with the two encrypted files attached.
    QCOMPARE(m_prompt->programs.size(), size_t(1));
    const auto& argv = m_prompt->programs[0].argv;
    QCOMPARE(std::count(argv.begin(), argv.end(), std::string("--attach")), 2);

    // Back again: the sources are gone, so no question; a damaged file fails alone.
    QFile::remove(sources[0]);
    QFile::remove(sources[3]);
    rows.clear();
    ModalScript back;
    back.on(res::IDD_DECRYPT_FILE, [](QDialog* d) { click(d, res::IDOK); });
    back.on(res::IDD_BATCH_PROGRESS, [&](QDialog* d) { finishJob(d, rows); });
    QCOMPARE(runCommandLine({"/D", dir + "/a.txt.kvx", dir + "/kept.txt.kvx", dir + "/c.txt.kvx"}), 0);
    QVERIFY2(back.waitFinished(), qPrintable(back.failure()));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0], QStringLiteral("完成"));
    QVERIFY(rows[1].startsWith(QStringLiteral("失败：")));
    QCOMPARE(rows[2], QStringLiteral("完成"));
    QCOMPARE(readAll(sources[0]), QByteArray("first"));
    QCOMPARE(readAll(sources[3]), QByteArray("fourth"));
}

QTEST_MAIN(BatchFlowTest)
#include "BatchFlowTest.moc"
