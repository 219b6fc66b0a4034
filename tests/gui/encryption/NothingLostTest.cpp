// Flows that must lose nothing: "/M" mails only a file that was written, recipients are mailed
// or named, and a file name that is not UTF-8 goes through the command line intact: paths keep
// their bytes through the user interface's texts (valid UTF-8 reads as itself, any other byte
// survives the way there and back, a dropped file's URL gives the name's bytes). Several files
// from the command line are one job: which argument vectors name several files, and "/M" over a
// selection with a bad file and a kept target among good ones (each file's run: FileBatchTest).
#include "EncTestKit.h"

#include "LocalPath.h"
#include "ResourceIds.h"
#include "SafeFile.h"
#include "encryption/DlgBatchProgress.h"
#include "encryption/EncDialogIds.h"
#include "shell/Application.h"
#include "shell/CommandLine.h"

#include <QTreeWidget>
#include <QtTest>

#include <algorithm>

using namespace yx;
using namespace yxtest;

namespace {

// Runs the progress window to its end, then reads each row's outcome and closes it.
void finishJob(QDialog* d, QStringList& rows) {
    auto* window = qobject_cast<CDlgBatchProgress*>(d);
    QVERIFY(window);
    QTRY_VERIFY_WITH_TIMEOUT(window->jobEnded(), 20000);
    auto* list = control<QTreeWidget>(d, res::IDC_BATCH_FILES);
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rows << list->topLevelItem(i)->text(1);
    click(d, res::IDCANCEL); // "关闭"
}

} // namespace

class NothingLostTest : public QObject, public enctest::EncTestBase {
    Q_OBJECT
private slots:
    void initTestCase() { m_pki = std::make_unique<enctest::Pki>(); }
    void init() {
        startTest();
        enctest::importDefault(m_pki->me);
    }
    void cleanup() { endTest(); }

    void mailFollowsOnlyAWrittenFile() {
        const QString source = m_env->root() + "/a.txt";
        QVERIFY(writeText(source, "a"));
        ModalScript script;
        script.on(res::IDD_ENCRYPT_FILE, [&](QDialog* d) {
            // A folder that does not exist: the encrypted file cannot be written.
            typeInto(d, res::IDC_ENC_TARGET, m_env->root() + "/missing/a.kvx");
            click(d, res::IDOK);
        });
        QCOMPARE(runCommandLine({QStringLiteral("/M"), source}), 0);
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
        QVERIFY(m_prompt->shown("文件读写错误！"));
        QVERIFY(m_prompt->programs.empty()); // no mail composed
        for (const auto& m : m_prompt->messages)
            QVERIFY2(m.text.find("加密文件已保存为") == std::string::npos, m.text.c_str());
    }

    void recipientsAreMailedOrNamed() {
        struct Case {
            std::string address;
            const char* inLink; // its form in the mailto: link, null when it is left out
        };
        const Case cases[] = {
            {"alice@example.com", "alice@example.com"},
            {"o'brien+tag@example.ie", "o%27brien%2Btag@example.ie"},
            {"\"john doe\"@example.com", "%22john%20doe%22@example.com"},
            {"-b@c", "-b@c"}, // an address, never an option: it travels inside the link
            {"x@y?attach=/etc/passwd", "x@y%3Fattach%3D%2Fetc%2Fpasswd"}, // valid: "?=/" are atext
            {"a@[192.0.2.1]", "a@%5B192.0.2.1%5D"},
            {"no-address", nullptr},
            {"c d@e.f", nullptr},
            {"two..dots@x.cn", nullptr},
            {"张三@example.cn", nullptr},
        };
        std::vector<std::string> all;
        std::string link = "mailto:";
        for (const Case& c : cases) {
            all.push_back(c.address);
            if (c.inLink)
                link += (link.size() > 7 ? "," : "") + std::string(c.inLink);
        }
        const std::vector<std::string> argv = mailCommand(QStringLiteral("/tmp/x y.kvx"), all);
        QCOMPARE(q(argv.back()), q(link));
        const std::string note = leftOutRecipientsNote(all);
        for (const Case& c : cases)
            QCOMPARE(note.find("\n" + c.address + "（") != std::string::npos, c.inLink == nullptr);
        QVERIFY(leftOutRecipientsNote({"alice@example.com"}).empty());
    }

    void mailSubjectReadsAGbkName() {
        const std::string gbk = "/tmp/\xBC\xBE\xB6\xC8.kvx"; // "季度.kvx" from a Windows disk
        const std::vector<std::string> argv = mailCommand(pathText(gbk), {});
        QCOMPARE(q(argv[3]), QStringLiteral("季度.kvx")); // the subject, readable
        QCOMPARE(argv[7], gbk);                           // the attachment, by its bytes
    }

    void nonUtf8NameThroughTheCommandLine() {
        // "季度报告" in GBK, as a name copied from a Windows disk: not UTF-8.
        const std::string source =
            writeFile(pathBytes(m_env->root()), "\xBC\xBE\xB6\xC8\xB1\xA8\xB8\xE6.txt", "quarterly");
        std::string e = "/E";
        std::vector<char*> argv = {const_cast<char*>("yaoxia"), e.data(), const_cast<char*>(source.c_str())};
        const QStringList args = commandLineArguments(static_cast<int>(argv.size()), argv.data());

        ModalScript script;
        script.on(res::IDD_ENCRYPT_FILE, [&](QDialog* d) {
            QCOMPARE(pathBytes(textOf(d, res::IDC_ENC_SOURCE)), source);
            click(d, res::IDOK);
        });
        ShellApp shell;
        const std::optional<int> rc = shell.initInstance(args);
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
        QVERIFY(rc.has_value());
        QVERIFY2(m_prompt->shown("加密成功！"),
                 m_prompt->messages.empty() ? "" : m_prompt->messages[0].text.c_str());
        QVERIFY(isRegularFile(source + ".kvx"));
    }

    void pathBytesSurviveTheWayThereAndBack() {
        struct Case {
            std::string bytes;
            QString readsAs; // empty: only the bytes matter
        };
        const Case cases[] = {
            {"/tmp/季度报告.doc", QStringLiteral("/tmp/季度报告.doc")},
            {"/tmp/\xBC\xBE\xB6\xC8.txt", {}},               // GBK
            {"/tmp/\xC3\x28 \xE2\x82 \xF0\x9F\x98\x80", {}}, // broken sequences around a valid emoji
            {"\xED\xA0\x80 \xC0\xAF \xF4\x90\x80\x80", {}},  // encoded surrogate, overlong, beyond U+10FFFF
            {std::string("a\0b", 3), {}},
        };
        for (const Case& c : cases) {
            const QString text = pathText(c.bytes);
            QCOMPARE(pathBytes(text), c.bytes);
            if (!c.readsAs.isEmpty())
                QCOMPARE(text, c.readsAs);
        }
        QCOMPARE(pathText("\xBC\xBE").size(), qsizetype(2)); // one character per foreign byte
    }

    void droppedUrlGivesTheNameBytes() {
        const QUrl gbk = QUrl::fromEncoded("file:///tmp/%BC%BE%B6%C8%20a.txt");
        QCOMPARE(pathBytes(pathOfLocalUrl(gbk)), std::string("/tmp/\xBC\xBE\xB6\xC8 a.txt"));
        const QUrl utf8 = QUrl::fromLocalFile(QStringLiteral("/tmp/报告 #1.txt"));
        QCOMPARE(pathOfLocalUrl(utf8), QStringLiteral("/tmp/报告 #1.txt"));
        QVERIFY(pathOfLocalUrl(QUrl(QStringLiteral("https://example.com/x"))).isEmpty());
    }

    void namesSeveralFiles_data() {
        QTest::addColumn<QStringList>("args"); // "@X" stands for the file X the test makes
        QTest::addColumn<int>("count");        // 0: one file, the single-file reading
        QTest::addColumn<int>("op");
        QTest::newRow("switch apart") << QStringList{"/E", "@A", "@B"} << 2 << int(CommandLineOp::Encrypt);
        QTest::newRow("switch on the first path")
            << QStringList{"/D@A", "@B"} << 2 << int(CommandLineOp::Decrypt);
        QTest::newRow("mail") << QStringList{"/M", "@A", "@B", "@A"} << 3 << int(CommandLineOp::Mail);
        QTest::newRow("one path") << QStringList{"/E", "@A"} << 0 << 0;
        QTest::newRow("unquoted path with a blank") << QStringList{"/E", "@my", "file"} << 0 << 0;
        QTest::newRow("existing files, no switch")
            << QStringList{"@A", "@B"} << 2 << int(CommandLineOp::Decrypt);
        QTest::newRow("lower-case switch stays one path") << QStringList{"/e", "@A"} << 0 << 0;
        QTest::newRow("configuration takes no files") << QStringList{"/C", "@A", "@B"} << 0 << 0;
    }

    void namesSeveralFiles() {
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

    void batchMailThenDecryptASelection() {
        const QString dir = m_env->root();
        const QStringList sources = {dir + "/a.txt", dir + "/empty.txt", dir + "/kept.txt", dir + "/c.txt"};
        const QByteArray contents[] = {"first", "", "third", "fourth"};
        for (int i = 0; i < 4; ++i)
            QVERIFY(writeText(sources[i], contents[i]));
        QVERIFY(writeText(dir + "/kept.txt.kvx", "keep me"));
        m_prompt->answer(MsgAnswer::No); // the one overwrite question: keep kept.txt.kvx

        QStringList rows;
        ModalScript script;
        script.on(res::IDD_ENCRYPT_FILE, [](QDialog* d) { click(d, res::IDOK); });
        script.on(res::IDD_BATCH_PROGRESS, [&](QDialog* d) { finishJob(d, rows); });
        QCOMPARE(runCommandLine(QStringList{"/M"} + sources), 0);
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
        QCOMPARE(rows.size(), 4);
        QVERIFY(rows.takeAt(2).startsWith(QStringLiteral("已跳过")));
        QCOMPARE(rows, QStringList({"完成", "失败：源文件内容为空！", "完成"}));
        QVERIFY(!QFile::exists(dir + "/empty.txt.kvx"));
        QCOMPARE(readAll(dir + "/kept.txt.kvx"), QByteArray("keep me"));
        // One message with the two encrypted files attached.
        QCOMPARE(m_prompt->programs.size(), size_t(1));
        const auto& argv = m_prompt->programs[0].argv;
        QCOMPARE(std::count(argv.begin(), argv.end(), std::string("--attach")), 2);
    }
};

QTEST_MAIN(NothingLostTest)
#include "NothingLostTest.moc"
