// File operations started from the command line (the file manager's actions), each run without
// a main window and without the single-instance rule, so beside a running window.
//
// The operations are chosen by the command-line text: its first two characters, compared
// case-sensitively, are the switch ("/E" encrypt, "/M" encrypt and mail, "/D" decrypt,
// "/C" configuration, "/P" properties of an encrypted file); the argument is the rest of the
// text behind them, nothing trimmed and no quotes removed. Any other text is, as a whole, the
// path of a file to decrypt. The dialogs that receive a path remove leading white space and
// then surrounding double quotes.
//
// The program receives an argument vector; the text is rebuilt from it (commandLineText) so
// that both "/E" "path" and "/Epath" mean the same and a path reaches its operation intact.
#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace yx {

enum class CommandLineOp { Encrypt, Mail, Decrypt, Configure, Properties };

struct CommandLineRequest {
    CommandLineOp op = CommandLineOp::Decrypt;
    QString argument; // the text behind the switch as is; for a plain path the whole text
};

// The command-line text of an argument vector (without the program name). Arguments are
// joined by single spaces, and one that is empty or holds white space is put in double quotes.
// When the first argument starts with one of the five switches, the switch stays outside the
// quotes and the rest follows it directly, without a space:
//   "/D" "a b.kvx" -> /D"a b.kvx"      "/Ea b.txt" -> /E"a b.txt"      "/E" "x" -> /Ex
//   "/e" "x"       -> /e x (no switch: a path to decrypt)
// A path is cut short only when it begins or ends with a double quote itself, which the
// dialogs' quote removal takes off (absolute paths never begin with one).
QString commandLineText(const QStringList& args);

// The operation a command-line text asks for (meaningful for a non-empty text).
CommandLineRequest parseCommandLine(const QString& text);

// The files of an argument vector that names several: a switch ("/E", "/M", "/D", "/P", as
// its own argument or with the first path behind it) followed by two or more paths, or, without
// a switch, two or more paths of existing files (decrypted). The file manager passes a selection
// so. Empty when the vector names one file: then the text above decides, and arguments whose
// space-joined text names an existing file stay that one file (a path typed without quotes).
QStringList severalFiles(const QStringList& args, CommandLineOp& op);

// Runs the operation the arguments ask for and returns the process exit code (0: the operation
// ran, whatever the user chose in it). An empty argument vector does nothing.
int runCommandLine(const QStringList& args);
int runCommandLineText(const QString& text);

// The mail step of "/M": the argument vector of xdg-email that composes a message with the
// encrypted file attached, addressed to every recipient whose address is a valid e-mail address.
std::vector<std::string> mailCommand(const QString& attachment, const std::vector<std::string>& recipients);
// The same with every file attached (several files encrypted at once).
std::vector<std::string> mailCommand(const QStringList& attachments,
                                     const std::vector<std::string>& recipients);
// The recipients left out of the message, each with the reason; empty when none was.
std::string leftOutRecipientsNote(const std::vector<std::string>& recipients);
// Names the recipients left out, then starts xdg-email and waits for it; a mail program that
// cannot be started or found gets a message of our own naming where the encrypted file is. True
// when the mail program took the message.
bool composeMail(const QString& attachment, const std::vector<std::string>& recipients);
bool composeMail(const QStringList& attachments, const std::vector<std::string>& recipients);

} // namespace yx
