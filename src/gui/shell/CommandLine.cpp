#include "CommandLine.h"

#include "EngineResult.h"
#include "GbkText.h"
#include "LocalPath.h"
#include "MailAddress.h"
#include "ResourceIds.h"
#include "SafeFile.h"
#include "UserPrompt.h"
#include "config/ConfigDialog.h"
#include "encryption/BatchFlow.h"
#include "encryption/EncryptFlow.h"
#include "encryption/SecureFileFlow.h"
#include "pages/FileEncPage.h"

#include <QGuiApplication>

#include <algorithm>

namespace yx {
namespace {

struct Switch {
    const char* text;
    CommandLineOp op;
};

constexpr Switch kSwitches[] = {
    {"/E", CommandLineOp::Encrypt},   {"/M", CommandLineOp::Mail},       {"/D", CommandLineOp::Decrypt},
    {"/C", CommandLineOp::Configure}, {"/P", CommandLineOp::Properties},
};

const Switch* switchOf(const QString& text) {
    for (const Switch& s : kSwitches) {
        if (text.startsWith(QLatin1String(s.text), Qt::CaseSensitive))
            return &s;
    }
    return nullptr;
}

QString quoted(const QString& arg) {
    const bool needsQuotes =
        arg.isEmpty() || std::any_of(arg.begin(), arg.end(), [](QChar c) { return c.isSpace(); });
    return needsQuotes ? QLatin1Char('"') + arg + QLatin1Char('"') : arg;
}

// The subject names the attached file. A name that is not UTF-8 came from a Windows disk: it
// is read as GBK there, so the subject is readable (the attachment keeps the name's bytes).
std::string subjectOf(const std::string& path) {
    const std::string name = path.substr(path.rfind('/') + 1);
    if (pathBytes(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))) == name)
        return name;
    return gbkToUtf8Lossy(name);
}

void runEncrypt(const QString& argument, bool mail) {
    EncryptFlowOptions options;
    options.appendKvx = false; // the target as the user typed it
    options.quiet = mail;      // the mail operation shows no "加密成功！"
    EncryptFlowOutcome outcome;
    const int rc = RunEncryptFlow(argument, options, nullptr, &outcome);
    // Only an encrypted file that was written is mailed: after a failed or cancelled run there
    // is nothing to attach, and no message says it was saved.
    if (mail && rc == res::IDOK && outcome.runResult == kvx::kResultOk)
        composeMail(outcome.target, outcome.recipientEmails);
}

// One job over all files; "/M" then mails every encrypted file that was written.
void runSeveral(CommandLineOp op, const QStringList& files) {
    switch (op) {
    case CommandLineOp::Encrypt:
    case CommandLineOp::Mail: {
        BatchFlowOutcome outcome;
        if (RunEncryptBatch(files, nullptr, &outcome) != res::IDOK || op != CommandLineOp::Mail)
            return;
        QStringList written;
        for (size_t i = 0; i < outcome.outcomes.size(); ++i)
            if (outcome.outcomes[i].state == kvx::BatchState::Done)
                written << QString::fromUtf8(outcome.outcomes[i].written.c_str());
        if (!written.isEmpty())
            composeMail(written, outcome.recipientEmails);
        return;
    }
    case CommandLineOp::Decrypt:
        RunDecryptBatch(files, nullptr);
        return;
    case CommandLineOp::Properties:
        for (const QString& file : files)
            ShowSecureFileProperties(file, nullptr);
        return;
    case CommandLineOp::Configure:
        return;
    }
}

bool existingFile(const QString& path) {
    return fileExists(pathBytes(path));
}

void runDecrypt(const QString& argument) {
    FileEncPage page; // never shown: it only carries the preset path to its decrypt command
    page.SetPresetPath(argument);
    page.onCommand(res::ID_FILE_DECRYPT);
}

} // namespace

QString commandLineText(const QStringList& args) {
    if (args.isEmpty())
        return {};
    QStringList parts;
    QString head;
    qsizetype from = 0;
    if (const Switch* s = switchOf(args.first())) {
        head = QLatin1String(s->text);
        const QString rest = args.first().mid(2);
        if (!rest.isEmpty())
            parts << quoted(rest);
        from = 1;
    }
    for (qsizetype i = from; i < args.size(); ++i)
        parts << quoted(args[i]);
    return head + parts.join(QLatin1Char(' '));
}

CommandLineRequest parseCommandLine(const QString& text) {
    if (const Switch* s = switchOf(text))
        return {s->op, text.mid(2)};
    return {CommandLineOp::Decrypt, text};
}

QStringList severalFiles(const QStringList& args, CommandLineOp& op) {
    QStringList files = args;
    const Switch* s = args.isEmpty() ? nullptr : switchOf(args.first());
    if (s) {
        files.first().remove(0, 2);
        if (files.first().isEmpty())
            files.removeFirst();
    }
    if (files.size() < 2 || (s && s->op == CommandLineOp::Configure) ||
        existingFile(files.join(QLatin1Char(' '))))
        return {};
    // Without a switch only existing files count: "/e x" stays one path, as it always was.
    if (!s && !std::all_of(files.begin(), files.end(), existingFile))
        return {};
    op = s ? s->op : CommandLineOp::Decrypt;
    return files;
}

int runCommandLine(const QStringList& args) {
    CommandLineOp op = CommandLineOp::Decrypt;
    if (const QStringList files = severalFiles(args, op); !files.isEmpty()) {
        runSeveral(op, files);
        return 0;
    }
    return runCommandLineText(commandLineText(args));
}

int runCommandLineText(const QString& text) {
    if (text.isEmpty())
        return 0;
    const CommandLineRequest request = parseCommandLine(text);
    switch (request.op) {
    case CommandLineOp::Encrypt:
    case CommandLineOp::Mail:
        runEncrypt(request.argument, request.op == CommandLineOp::Mail);
        break;
    case CommandLineOp::Decrypt:
        runDecrypt(request.argument);
        break;
    case CommandLineOp::Configure:
        RunConfigDialog(CConfigDialog::EncCertTab, nullptr); // what follows "/C" is ignored
        break;
    case CommandLineOp::Properties:
        ShowSecureFileProperties(request.argument, nullptr);
        break;
    }
    return 0;
}

std::vector<std::string> mailCommand(const QString& attachment, const std::vector<std::string>& recipients) {
    return mailCommand(QStringList{attachment}, recipients);
}

std::vector<std::string> mailCommand(const QStringList& attachments,
                                     const std::vector<std::string>& recipients) {
    // --utf8 first: it applies to the options that follow it. The message text is one space, as
    // the message is written in the mail program; the subject names the attached file (the
    // first one and the count when there are several). xdg-email takes --attach repeatedly.
    std::string subject = subjectOf(pathBytes(attachments.value(0)));
    if (attachments.size() > 1)
        subject += " 等 " + std::to_string(attachments.size()) + " 个文件";
    std::vector<std::string> argv = {"xdg-email", "--utf8", "--subject", subject, "--body", " "};
    for (const QString& attachment : attachments) {
        argv.push_back("--attach");
        argv.push_back(pathBytes(attachment));
    }
    // The recipients travel in one mailto: link with every character percent-encoded, so no
    // address can be taken for an option or change the link.
    std::vector<std::string> valid;
    for (const std::string& address : recipients) {
        if (mailAddressProblem(address).empty())
            valid.push_back(address);
    }
    if (!valid.empty())
        argv.push_back(mailtoLink(valid));
    return argv;
}

std::string leftOutRecipientsNote(const std::vector<std::string>& recipients) {
    std::string note;
    for (const std::string& address : recipients) {
        if (const std::string problem = mailAddressProblem(address); !problem.empty())
            note += "\n" + address + "（" + problem + "）";
    }
    return note.empty() ? note : "以下收件人的地址不是有效的电子邮件地址，没有加入邮件：" + note;
}

bool composeMail(const QString& attachment, const std::vector<std::string>& recipients) {
    return composeMail(QStringList{attachment}, recipients);
}

bool composeMail(const QStringList& attachments, const std::vector<std::string>& recipients) {
    if (const std::string note = leftOutRecipientsNote(recipients); !note.empty())
        showMessage(note, MsgIcon::Warning);
    const bool cursor = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (cursor)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const int status = prompt().runProgram(mailCommand(attachments, recipients), true);
    if (cursor)
        QGuiApplication::restoreOverrideCursor();
    if (status == 0)
        return true;

    std::string saved = "\n加密文件已保存为：";
    for (qsizetype i = 0; i < attachments.size(); ++i) {
        if (i)
            saved += '\n';
        saved += pathBytes(attachments[i]);
    }
    if (status < 0) {
        showMessage("无法撰写邮件：没有找到邮件撰写工具 xdg-email，请安装 xdg-utils。" + saved,
                    MsgIcon::Error);
    } else if (status == 3 || status == 4) {
        // xdg-email found no mail program, or the one configured could not be started.
        showMessage("无法撰写邮件：没有找到可用的电子邮件程序，请先在系统中设置默认的电子邮件程序。" + saved,
                    MsgIcon::Warning);
    } else {
        showMessage("撰写邮件失败（xdg-email 返回 " + std::to_string(status) + "）。" + saved,
                    MsgIcon::Error);
    }
    return false;
}

} // namespace yx
