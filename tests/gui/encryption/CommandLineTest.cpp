// The command-line operations: the switch table, paths reaching their operation intact through
// the text rebuilt from the argument vector, "/M" composing the mail with xdg-email (and what a missing mail
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
const QStringList kTrickyPaths = {"/tmp/a b.txt",
                                  "/tmp/季度报告 终稿.doc",
                                  "/tmp/he said \"hi\" there.txt",
                                  "/tmp/q\"uote.kvx",
                                  "/tmp/two  spaces/ lead.kvx",
                                  "/tmp/tab\there.kvx",
                                  "/Encrypted/x.kvx",
                                  "/Data/月报.kvx",
                                  "/Mail/a b.kvx",
                                  "/Projects/p.kvx",
                                  "/C"};

const std::pair<const char*, CommandLineOp> kPathSwitches[] = {{"/E", CommandLineOp::Encrypt},
                                                               {"/M", CommandLineOp::Mail},
                                                               {"/D", CommandLineOp::Decrypt},
                                                               {"/P", CommandLineOp::Properties}};

} // namespace

class CommandLineTest : public QObject, public enctest::EncTestBase {
    Q_OBJECT
private slots:
    void initTestCase() { m_pki = std::make_unique<enctest::Pki>(); }
    void init() { startTest(); }
    void cleanup() { endTest(); }

    void switchesAndArguments_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<yx::CommandLineOp>("op");
        QTest::addColumn<QString>("argument");
        QTest::newRow("/E with blank") << "/E x" << CommandLineOp::Encrypt << " x";
        QTest::newRow("/D") << "/D" << CommandLineOp::Decrypt << "";
        QTest::newRow("/C") << "/C anything" << CommandLineOp::Configure << " anything";
        QTest::newRow("/e") << "/e x" << CommandLineOp::Decrypt << "/e x";
        QTest::newRow("/X") << "/X y" << CommandLineOp::Decrypt << "/X y";
        QTest::newRow("slash") << "/" << CommandLineOp::Decrypt << "/";
        QTest::newRow("plain") << "C:\\a.kvx" << CommandLineOp::Decrypt << "C:\\a.kvx";
        QTest::newRow("blank first") << " /E x" << CommandLineOp::Decrypt << " /E x";
    }

    void switchesAndArguments() {
        QFETCH(QString, text);
        QFETCH(yx::CommandLineOp, op);
        QFETCH(QString, argument);
        const CommandLineRequest r = parseCommandLine(text);
        QCOMPARE(r.op, op);
        QCOMPARE(r.argument, argument);
    }

    // The path an operation ends up with is the one the dialogs take: leading white space, then
    // quotes, removed.
    void pathsReachTheirOperationIntact() {
        for (const auto& [sw, op] : kPathSwitches) {
            for (const QString& path : kTrickyPaths) {
                // The switch as its own argument and glued to the path mean the same.
                for (const QStringList& args : {QStringList({sw, path}), QStringList({sw + path})}) {
                    const QString text = commandLineText(args);
                    const CommandLineRequest r = parseCommandLine(text);
                    QVERIFY2(r.op == op, qPrintable(text));
                    QCOMPARE(dlgkit::presetPath(r.argument), path);
                }
            }
        }
        // A plain path (not starting like a switch) is decrypted, with its spaces and quotes.
        for (const QString& path : {QStringLiteral("/tmp/a b.kvx"), QStringLiteral("/tmp/\"q\" r.kvx")}) {
            const CommandLineRequest r = parseCommandLine(commandLineText({path}));
            QCOMPARE(r.op, CommandLineOp::Decrypt);
            QCOMPARE(dlgkit::presetPath(r.argument), path);
        }
    }

    void mailComposesWithTheEncryptedFile() {
        enctest::importDefault(m_pki->me);
        enctest::importOther(m_pki->alice);
        enctest::importOther(m_pki->bob); // no address: left out
        const QString source = m_env->root() + QStringLiteral("/邮件 附件.xls");
        QVERIFY(writeText(source, "sheet"));
        const QString typed = m_env->root() + QStringLiteral("/附件 加密");

        ModalScript script;
        script.on(res::IDD_ENCRYPT_FILE, [typed](QDialog* d) {
            auto* list = control<QTreeWidget>(d, res::IDC_ENC_OTHER_LIST);
            QCOMPARE(list->topLevelItemCount(), 2);
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
        QCOMPARE(m_prompt->programs[0].argv,
                 (std::vector<std::string>{"xdg-email", "--utf8", "--subject", "附件 加密", "--body", " ",
                                           "--attach", typed.toStdString(), "mailto:lisi@example.cn"}));
        QVERIFY(m_prompt->messages.empty());
    }

    void mailAfterACancelledEncryptionIsNotComposed() {
        enctest::importDefault(m_pki->me);
        const QString source = m_env->root() + QStringLiteral("/a.txt");
        QVERIFY(writeText(source, "a"));
        ModalScript script;
        script.on(res::IDD_ENCRYPT_FILE, [](QDialog* d) { d->reject(); });
        QCOMPARE(runCommandLine({QStringLiteral("/M") + source}), 0);
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
        QVERIFY(m_prompt->programs.empty());

        // Only the user's own certificate: a message without recipients is still composed.
        ModalScript own;
        own.on(res::IDD_ENCRYPT_FILE, [](QDialog* d) { click(d, res::IDOK); });
        QCOMPARE(runCommandLine({QStringLiteral("/M"), source}), 0);
        QVERIFY2(own.waitFinished(), qPrintable(own.failure()));
        QCOMPARE(m_prompt->programs.size(), size_t(1));
        QCOMPARE(m_prompt->programs[0].argv.back(), (source + ".kvx").toStdString()); // no "mailto:"
    }

    void mailProgramMissingOrUnconfigured() {
        const std::string noProgram =
            "无法撰写邮件：没有找到可用的电子邮件程序，请先在系统中设置默认的电子邮件程序。";
        const struct {
            int status; // what xdg-email gives (-1: it cannot be started)
            std::string text;
            MsgIcon icon;
        } cases[] = {
            {-1, "无法撰写邮件：没有找到邮件撰写工具 xdg-email，请安装 xdg-utils。", MsgIcon::Error},
            {3, noProgram, MsgIcon::Warning}, // no mail program set up
            {4, noProgram, MsgIcon::Warning}, // or it could not be started
            {2, "撰写邮件失败（xdg-email 返回 2）。", MsgIcon::Error},
        };
        for (const auto& c : cases) {
            m_prompt->clear();
            m_prompt->programResult = c.status;
            QVERIFY(!composeMail(QStringLiteral("/tmp/报告.doc.kvx"), {"bob@example.com"}));
            QCOMPARE(m_prompt->texts(),
                     std::vector<std::string>{c.text + "\n加密文件已保存为：/tmp/报告.doc.kvx"});
            QVERIFY(m_prompt->messages[0].icon == c.icon);
        }
        m_prompt->clear();
        m_prompt->programResult = 0;
        QVERIFY(composeMail(QStringLiteral("/tmp/x.kvx"), {}));
        QVERIFY(m_prompt->messages.empty());
    }

    void runsBesideARunningInstance() {
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
};

QTEST_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
