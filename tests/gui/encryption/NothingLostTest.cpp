// Flows that must lose nothing: the page's overwrite question is about the file the encryption
// replaces (".kvx" appended), "/M" mails only a file that was written, recipients are mailed
// or named, and a file name that is not UTF-8 goes through the command line intact.
#include "DialogDriver.h"
#include "FileEncTestKit.h"

#include "LocalPath.h"
#include "ResourceIds.h"
#include "SafeFile.h"
#include "encryption/EncDialogIds.h"
#include "pages/FileEncPage.h"
#include "shell/Application.h"
#include "shell/CommandLine.h"

#include <QDialog>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using namespace yx;
using namespace yxtest;

namespace {

const char* const kOverwrite = "您所指定加密的文件已经存在，要覆盖它吗？";

bool writeBytes(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return ::close(fd) == 0 && ok;
}

} // namespace

class NothingLostTest : public QObject, public FreshGuiTest {
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

    void pageAsksAboutTheFileItWouldReplace_data();
    void pageAsksAboutTheFileItWouldReplace();
    void mailFollowsOnlyAWrittenFile();
    void recipientsAreMailedOrNamed();
    void mailSubjectReadsAGbkName();
    void nonUtf8NameThroughTheCommandLine();

private:
    std::unique_ptr<FileEncPeople> m_people;
};

void NothingLostTest::pageAsksAboutTheFileItWouldReplace_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("existing");
    QTest::addColumn<bool>("asked");
    QTest::newRow("typed without .kvx, X.kvx there") << "report"
                                                     << "report.kvx" << true;
    QTest::newRow("typed without .kvx, only X there") << "report"
                                                      << "report" << false;
    QTest::newRow("typed with .kvx") << "report.kvx"
                                     << "report.kvx" << true;
}

void NothingLostTest::pageAsksAboutTheFileItWouldReplace() {
    QFETCH(QString, typed);
    QFETCH(QString, existing);
    QFETCH(bool, asked);
    const QString dir = m_env->root();
    QVERIFY(writeText(dir + "/source.txt", "new contents"));
    QVERIFY(writeText(dir + "/" + existing, "keep me"));
    m_prompt->answer(MsgAnswer::No); // do not overwrite

    FileEncPage page;
    ModalScript script;
    script.on(res::IDD_ENCRYPT_FILE, [&](QDialog* d) {
        typeInto(d, res::IDC_ENC_SOURCE, dir + "/source.txt");
        typeInto(d, res::IDC_ENC_TARGET, dir + "/" + typed);
        click(d, res::IDOK);
        if (d->isVisible())
            d->reject(); // "No" leaves the dialog open
    });
    page.onCommand(res::ID_FILE_ENCRYPT);
    QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    QCOMPARE(m_prompt->shown(kOverwrite), asked);
    QCOMPARE(readAll(dir + "/" + existing), QByteArray("keep me"));
}

void NothingLostTest::mailFollowsOnlyAWrittenFile() {
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

void NothingLostTest::recipientsAreMailedOrNamed() {
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

void NothingLostTest::mailSubjectReadsAGbkName() {
    const std::string gbk = "/tmp/\xBC\xBE\xB6\xC8.kvx"; // "季度.kvx" from a Windows disk
    const std::vector<std::string> argv = mailCommand(pathText(gbk), {});
    QCOMPARE(q(argv[3]), QStringLiteral("季度.kvx")); // the subject, readable
    QCOMPARE(argv[7], gbk);                           // the attachment, by its bytes
}

void NothingLostTest::nonUtf8NameThroughTheCommandLine() {
    // "季度报告" in GBK, as a name copied from a Windows disk: not UTF-8.
    const std::string dir = pathBytes(m_env->root());
    const std::string source = dir + "/\xBC\xBE\xB6\xC8\xB1\xA8\xB8\xE6.txt";
    QVERIFY(writeBytes(source, "quarterly"));
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

QTEST_MAIN(NothingLostTest)
#include "NothingLostTest.moc"
