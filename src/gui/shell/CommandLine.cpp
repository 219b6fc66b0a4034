#include "CommandLine.h"

#include "ResourceIds.h"
#include "UserPrompt.h"
#include "dialogs/ConfigDialog.h"
#include "encryption/EncryptFlow.h"
#include "encryption/SecureFileFlow.h"
#include "pages/FileEncPage.h"

#include <QFileInfo>
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

// Whether a certificate's address can be handed to xdg-email as a recipient: one plain address
// (xdg-email builds a mailto: link from it, so no characters that mean something there), which
// cannot be taken for one of xdg-email's options either.
bool usableAddress(const std::string& address) {
    if (address.empty() || address.front() == '-' || std::count(address.begin(), address.end(), '@') != 1)
        return false;
    return std::all_of(address.begin(), address.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || c == '.' ||
               c == '_' || c == '+' || c == '-' || c == '@';
    });
}

std::string utf8(const QString& s) {
    return s.toUtf8().toStdString();
}

void runEncrypt(const QString& argument, bool mail) {
    EncryptFlowOptions options;
    options.appendKvx = false; // the target as the user typed it
    options.quiet = mail;      // the mail operation shows no "加密成功！"
    EncryptFlowOutcome outcome;
    const int rc = RunEncryptFlow(argument, options, nullptr, &outcome);
    // The mail step follows every run that ended with OK, also one that reported a failure.
    if (mail && rc == res::IDOK)
        composeMail(outcome.target, outcome.recipientEmails);
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

int runCommandLine(const QStringList& args) {
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
    // --utf8 first: it applies to the options that follow it. The message text is one space, as
    // the message is written in the mail program; the subject names the attached file.
    std::vector<std::string> argv = {
        "xdg-email", "--utf8", "--subject", utf8(QFileInfo(attachment).fileName()),
        "--body",    " ",      "--attach",  utf8(attachment)};
    for (const std::string& address : recipients) {
        if (usableAddress(address))
            argv.push_back(address);
    }
    return argv;
}

bool composeMail(const QString& attachment, const std::vector<std::string>& recipients) {
    const bool cursor = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (cursor)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const int status = prompt().runProgram(mailCommand(attachment, recipients), true);
    if (cursor)
        QGuiApplication::restoreOverrideCursor();
    if (status == 0)
        return true;

    const std::string saved = "\n加密文件已保存为：" + utf8(attachment);
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
