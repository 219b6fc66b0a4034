// The one seam for everything that waits on a person or on the desktop: message boxes, file
// choosers, opening files and URLs, starting programs. The desktop program installs a Qt
// implementation; the command-line tool a console one; tests a recorder that answers questions
// and keeps what was shown.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace yx {

enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No, Retry };

inline constexpr const char* kAppCaption = "钥匣";

struct FileChooserRequest {
    bool save = false;         // save dialog (else open)
    std::string title;         // window title, may be empty
    std::string filter;        // MFC-style filter "PFX 文件(*.pfx)|*.pfx|所有文件(*.*)|*.*||"
    std::string initialPath;   // preselected file or folder
    std::string defaultSuffix; // appended by the chooser when the name has none (without dot)
    bool overwritePrompt = false;
};

class UserPrompt {
public:
    virtual ~UserPrompt() = default;

    // owner is an opaque window handle (a QWidget* in the desktop program), may be null.
    virtual MsgAnswer message(const std::string& text, const std::string& caption, MsgIcon icon,
                              MsgButtons buttons, void* owner = nullptr) = 0;

    // The chosen path, or nullopt when the user cancelled.
    virtual std::optional<std::string> chooseFile(const FileChooserRequest& request,
                                                  void* owner = nullptr) = 0;

    // Asks the desktop to open a file or URL with its associated application (xdg-open).
    // False when no application could be started for it.
    virtual bool openWithDesktop(const std::string& pathOrUrl) = 0;

    // Starts argv[0] with the given argument vector (never through a shell). With wait, returns
    // the exit status, else 0 once started; -1 when the program could not be started.
    virtual int runProgram(const std::vector<std::string>& argv, bool wait) = 0;

    // Asks for a password without showing it; nullopt when the user cancelled. This default
    // cancels, so a prompt that cannot ask anybody leaves protected things alone.
    virtual std::optional<std::string> askPassword(const std::string& text, const std::string& caption,
                                                   void* owner = nullptr);
};

// The installed implementation (a console one until something else is installed). Not owned.
UserPrompt& prompt();
void setPrompt(UserPrompt* p); // null restores the console implementation

// Shortcuts with the system's caption.
MsgAnswer showMessage(const std::string& text, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok,
                      void* owner = nullptr, const std::string& caption = kAppCaption);

// Console implementation: messages on stderr, questions answered by `defaultAnswer`,
// no file chooser, programs started with posix_spawnp.
class ConsolePrompt : public UserPrompt {
public:
    MsgAnswer message(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons,
                      void* owner) override;
    std::optional<std::string> chooseFile(const FileChooserRequest& request, void* owner) override;
    bool openWithDesktop(const std::string& pathOrUrl) override;
    int runProgram(const std::vector<std::string>& argv, bool wait) override;

    // Answer given to questions (Yes/OK by default, as a script expects to proceed).
    bool answerYes = true;
};

// Starts a program by argument vector; returns exit status (wait) or 0, -1 when it cannot start.
int spawnProgram(const std::vector<std::string>& argv, bool wait);

} // namespace yx
