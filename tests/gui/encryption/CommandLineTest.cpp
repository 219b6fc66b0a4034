// The command-line operations: the text rebuilt from the argument vector, the switch table, paths
// reaching their operation intact, "/M" composing the mail with xdg-email (and what a missing mail
// program gives), and an operation beside a running interactive instance.
#include "EncTestKit.h"

#include "ResourceIds.h"
#include "config/ConfigDialogIds.h"
#include "dialogs/DialogKit.h"
#include "encryption/EncDialogIds.h"
#include "shell/Application.h"
#include "shell/CommandLine.h"
#include "shell/SingleInstance.h"

#include <QTreeWidget>
#include <QtTest>

using namespace yx;
using namespace yxtest;

Q_DECLARE_METATYPE(yx::CommandLineOp)

namespace {

// Paths that must reach their operation unchanged: spaces (also several and leading ones in a
// name), quotes inside, Chinese characters, a tab, and absolute paths that begin like a switch.
const QStringList kTrickyPaths = {
    QStringLiteral("/tmp/a b.txt"),
    QStringLiteral("/tmp/季度报告 终稿.doc"),
    QStringLiteral("/tmp/he said \"hi\" there.txt"),
    QStringLiteral("/tmp/q\"uote.kvx"),
    QStringLiteral("/tmp/two  spaces/ lead.kvx"),
    QStringLiteral("/tmp/tab\there.kvx"),
    QStringLiteral("/Encrypted/x.kvx"),
    QStringLiteral("/Data/月报.kvx"),
    QStringLiteral("/Mail/a b.kvx"),
    QStringLiteral("/Projects/p.kvx"),
    QStringLiteral("/C"),
};

struct SwitchCase {
    const char* text;
    CommandLineOp op;
};
const SwitchCase kPathSwitches[] = {{"/E", CommandLineOp::Encrypt},
                                    {"/M", CommandLineOp::Mail},
                                    {"/D", CommandLineOp::Decrypt},
                                    {"/P", CommandLineOp::Properties}};

// The path an operation ends up with: the dialogs remove leading white space, then quotes.
QString pathReceived(const CommandLineRequest& r) {
    return dlgkit::presetPath(r.argument);
}

} // namespace

class CommandLineTest : public QObject, public FreshGuiTest {
    Q_OBJECT
private slots:
    void init() { startTest(); }
    void cleanup() { endTest(); }

    void textOfTheArgumentVector_data();
    void textOfTheArgumentVector();
    void switchesAndArguments_data();
    void switchesAndArguments();
    void pathsReachTheirOperationIntact();

    void mailComposesWithTheEncryptedFile();
    void mailAfterACancelledEncryptionIsNotComposed();
    void mailProgramMissingOrUnconfigured();
    void runsBesideARunningInstance();
};

void CommandLineTest::textOfTheArgumentVector_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing") << QStringList() << QString();
    QTest::newRow("switch apart") << QStringList({"/E", "x"}) << QStringLiteral("/Ex");
    QTest::newRow("switch glued") << QStringList({"/Ex"}) << QStringLiteral("/Ex");
    QTest::newRow("apart, space") << QStringList({"/E", "/tmp/a b.txt"})
                                  << QStringLiteral("/E\"/tmp/a b.txt\"");
    QTest::newRow("glued, space") << QStringList({"/E/tmp/a b.txt"}) << QStringLiteral("/E\"/tmp/a b.txt\"");
    QTest::newRow("decrypt apart") << QStringList({"/D", "a b.kvx"}) << QStringLiteral("/D\"a b.kvx\"");
    QTest::newRow("lower case") << QStringList({"/e", "x"}) << QStringLiteral("/e x");
    QTest::newRow("lower case, space") << QStringList({"/e", "a b"}) << QStringLiteral("/e \"a b\"");
    QTest::newRow("more words") << QStringList({"/D", "a", "b"}) << QStringLiteral("/Da b");
    QTest::newRow("switch alone") << QStringList({"/C"}) << QStringLiteral("/C");
    QTest::newRow("empty argument") << QStringList({"/D", ""}) << QStringLiteral("/D\"\"");
    QTest::newRow("plain path") << QStringList({"/tmp/a b.kvx"}) << QStringLiteral("\"/tmp/a b.kvx\"");
    QTest::newRow("two plain") << QStringList({"x", "y z"}) << QStringLiteral("x \"y z\"");
    QTest::newRow("tab") << QStringList({"/P", "t\tb"}) << QStringLiteral("/P\"t\tb\"");
    QTest::newRow("quotes, no space") << QStringList({"/D", "a\"b\".kvx"}) << QStringLiteral("/Da\"b\".kvx");
    QTest::newRow("unknown switch") << QStringList({"/Xfoo"}) << QStringLiteral("/Xfoo");
    QTest::newRow("slash apart") << QStringList({"/", "E"}) << QStringLiteral("/ E");
    QTest::newRow("leading blank") << QStringList({" /E"}) << QStringLiteral("\" /E\"");
    QTest::newRow("chinese") << QStringList({"/E", "/tmp/报告.doc"}) << QStringLiteral("/E/tmp/报告.doc");
}

void CommandLineTest::textOfTheArgumentVector() {
    QFETCH(QStringList, args);
    QFETCH(QString, text);
    QCOMPARE(commandLineText(args), text);
}

void CommandLineTest::switchesAndArguments_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<yx::CommandLineOp>("op");
    QTest::addColumn<QString>("argument");
    QTest::newRow("/E") << "/Ex" << CommandLineOp::Encrypt << "x";
    QTest::newRow("/E with blank") << "/E x" << CommandLineOp::Encrypt << " x";
    QTest::newRow("/E quoted") << "/E \"a b\"" << CommandLineOp::Encrypt << " \"a b\"";
    QTest::newRow("/M") << "/M/tmp/m" << CommandLineOp::Mail << "/tmp/m";
    QTest::newRow("/D") << "/D" << CommandLineOp::Decrypt << "";
    QTest::newRow("/C") << "/C anything" << CommandLineOp::Configure << " anything";
    QTest::newRow("/P") << "/P\"a\"" << CommandLineOp::Properties << "\"a\"";
    QTest::newRow("/e") << "/e x" << CommandLineOp::Decrypt << "/e x";
    QTest::newRow("/d") << "/dx" << CommandLineOp::Decrypt << "/dx";
    QTest::newRow("/X") << "/X y" << CommandLineOp::Decrypt << "/X y";
    QTest::newRow("slash") << "/" << CommandLineOp::Decrypt << "/";
    QTest::newRow("plain") << "C:\\a.kvx" << CommandLineOp::Decrypt << "C:\\a.kvx";
    QTest::newRow("blank first") << " /E x" << CommandLineOp::Decrypt << " /E x";
}

void CommandLineTest::switchesAndArguments() {
    QFETCH(QString, text);
    QFETCH(yx::CommandLineOp, op);
    QFETCH(QString, argument);
    const CommandLineRequest r = parseCommandLine(text);
    QCOMPARE(r.op, op);
    QCOMPARE(r.argument, argument);
}

void CommandLineTest::pathsReachTheirOperationIntact() {
    for (const SwitchCase& s : kPathSwitches) {
        const QString sw = QLatin1String(s.text);
        for (const QString& path : kTrickyPaths) {
            // The switch as its own argument and glued to the path mean the same.
            for (const QStringList& args : {QStringList({sw, path}), QStringList({sw + path})}) {
                const QString text = commandLineText(args);
                const CommandLineRequest r = parseCommandLine(text);
                QVERIFY2(r.op == s.op, qPrintable(text));
                QVERIFY2(pathReceived(r) == path,
                         qPrintable(text + QStringLiteral(" -> ") + pathReceived(r)));
            }
        }
    }
    // A plain path (not starting like a switch) is decrypted, with its spaces and quotes.
    for (const QString& path : {QStringLiteral("/tmp/a b.kvx"), QStringLiteral("/tmp/\"q\" r.kvx")}) {
        const CommandLineRequest r = parseCommandLine(commandLineText({path}));
        QCOMPARE(r.op, CommandLineOp::Decrypt);
        QCOMPARE(pathReceived(r), path);
    }
}

void CommandLineTest::mailComposesWithTheEncryptedFile() {
    FileEncPeople people;
    people.addOwnCertificate("发件人", "me@example.com");
    people.addOtherPerson("收件人甲", "alice@example.com", 2);
    people.addOtherPerson("收件人乙", "", 3); // no address: left out
    people.addOtherPerson("收件人丙", "carol@example.com", 4);
    const QString source = m_env->root() + QStringLiteral("/邮件 附件.xls");
    QVERIFY(writeText(source, "sheet"));
    const QString typed = m_env->root() + QStringLiteral("/附件 加密");

    ModalScript script;
    script.on(res::IDD_ENCRYPT_FILE, [typed](QDialog* d) {
        auto* list = control<QTreeWidget>(d, res::IDC_ENC_OTHER_LIST);
        QCOMPARE(list->topLevelItemCount(), 3);
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            list->topLevelItem(i)->setCheckState(0, Qt::Checked);
        typeInto(d, res::IDC_ENC_TARGET, typed);
        click(d, res::IDOK);
    });
    QCOMPARE(runCommandLine({QStringLiteral("/M"), source}), 0);
    QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    QVERIFY(!m_prompt->shown("加密成功！")); // the mail operation's run is quiet
    QVERIFY(readAll(typed).startsWith("KavexFileType=2;"));
    QCOMPARE(m_prompt->programs.size(), size_t(1));
    QVERIFY(m_prompt->programs[0].wait);
    const std::vector<std::string> expected = {"xdg-email",
                                               "--utf8",
                                               "--subject",
                                               "附件 加密",
                                               "--body",
                                               " ",
                                               "--attach",
                                               typed.toStdString(),
                                               "mailto:alice@example.com,carol@example.com"};
    QVERIFY(m_prompt->programs[0].argv == expected);
    QVERIFY(m_prompt->messages.empty());
}

void CommandLineTest::mailAfterACancelledEncryptionIsNotComposed() {
    FileEncPeople people;
    people.addOwnCertificate("发件人", "me@example.com");
    const QString source = m_env->root() + QStringLiteral("/a.txt");
    QVERIFY(writeText(source, "a"));
    ModalScript script;
    script.on(res::IDD_ENCRYPT_FILE, [](QDialog* d) { d->reject(); });
    QCOMPARE(runCommandLine({QStringLiteral("/M") + source}), 0);
    QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    QVERIFY(m_prompt->programs.empty());

    // Only the user's own certificate: a message without recipients is still composed.
    const QString typed = m_env->root() + QStringLiteral("/a.kvx");
    ModalScript own;
    own.on(res::IDD_ENCRYPT_FILE, [](QDialog* d) { click(d, res::IDOK); });
    QCOMPARE(runCommandLine({QStringLiteral("/M"), source}), 0);
    QVERIFY2(own.waitFinished(), qPrintable(own.failure()));
    QCOMPARE(m_prompt->programs.size(), size_t(1));
    const std::vector<std::string> expected = {
        "xdg-email", "--utf8", "--subject", "a.txt.kvx",
        "--body",    " ",      "--attach",  (source + ".kvx").toStdString()};
    QVERIFY(m_prompt->programs[0].argv == expected);
}

void CommandLineTest::mailProgramMissingOrUnconfigured() {
    const QString file = QStringLiteral("/tmp/报告.doc.kvx");
    const std::string saved = "\n加密文件已保存为：/tmp/报告.doc.kvx";

    m_prompt->programResult = -1; // xdg-email cannot be started
    QVERIFY(!composeMail(file, {"bob@example.com"}));
    QCOMPARE(m_prompt->messages.size(), size_t(1));
    QVERIFY(m_prompt->messages[0].icon == MsgIcon::Error);
    QCOMPARE(m_prompt->messages[0].text,
             "无法撰写邮件：没有找到邮件撰写工具 xdg-email，请安装 xdg-utils。" + saved);

    for (int status : {3, 4}) { // no mail program set up, or it could not be started
        m_prompt->clear();
        m_prompt->programResult = status;
        QVERIFY(!composeMail(file, {}));
        QCOMPARE(m_prompt->messages.size(), size_t(1));
        QCOMPARE(m_prompt->messages[0].text,
                 "无法撰写邮件：没有找到可用的电子邮件程序，请先在系统中设置默认的电子邮件程序。" + saved);
        QVERIFY(m_prompt->messages[0].icon == MsgIcon::Warning);
    }
    m_prompt->clear();
    m_prompt->programResult = 2;
    QVERIFY(!composeMail(file, {}));
    QCOMPARE(m_prompt->messages[0].text, "撰写邮件失败（xdg-email 返回 2）。" + saved);

    m_prompt->clear();
    m_prompt->programResult = 0;
    QVERIFY(composeMail(file, {}));
    QVERIFY(m_prompt->messages.empty());
}

void CommandLineTest::runsBesideARunningInstance() {
    SingleInstance running;
    QVERIFY(running.claim());
    ModalScript script;
    script.on(res::IDD_CONFIG, [](QDialog* d) { d->reject(); });
    ShellApp shell;
    const std::optional<int> rc = shell.initInstance({QStringLiteral("/C")});
    QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    QVERIFY(rc.has_value()); // the process ends after the operation
    QCOMPARE(*rc, 0);
    QVERIFY(shell.commandLineMode());
    QVERIFY(!shell.frame());    // no main window
    QVERIFY(!shell.instance()); // and no single-instance check
    QVERIFY(running.isListening());
}

QTEST_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
