// A prompt for the time a worker thread runs: every message, chooser, opening or program start
// asked from another thread is carried out on the UI thread by the prompt that was installed
// before, while the asking thread waits for the answer. Widgets are never touched from the
// worker. Calls made on the UI thread go straight through. Installed for its lifetime.
#pragma once

#include "UserPrompt.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace yx {

class UiThreadPrompt : public QObject, public UserPrompt {
    Q_OBJECT
public:
    // Must be made on the UI thread. Messages asked without an owner get `owner` (may be null).
    explicit UiThreadPrompt(QWidget* owner);
    ~UiThreadPrompt() override; // puts the previous prompt back

    MsgAnswer message(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons,
                      void* owner) override;
    std::optional<std::string> chooseFile(const FileChooserRequest& request, void* owner) override;
    bool openWithDesktop(const std::string& pathOrUrl) override;
    int runProgram(const std::vector<std::string>& argv, bool wait) override;

private:
    template <typename Result, typename Call> Result onUiThread(Call call);
    void* ownerFor(void* owner) const;

    UserPrompt& m_inner;
    QPointer<QWidget> m_owner;
};

} // namespace yx
