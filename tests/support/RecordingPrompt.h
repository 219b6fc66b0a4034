// The prompt of every test: keeps each message, answers questions from a queue, hands out queued
// file-chooser answers, and records what would have been opened or started (with the contents of
// a file handed to a program, as a viewer would read it). It notes calls made off the thread that
// created it (the UI thread), and installs itself as the program's prompt for its lifetime.
#pragma once

#include "UserPrompt.h"

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace yxtest {

class RecordingPrompt : public yx::UserPrompt {
public:
    struct Message {
        std::string text;
        std::string caption;
        yx::MsgIcon icon = yx::MsgIcon::None;
        yx::MsgButtons buttons = yx::MsgButtons::Ok;
        void* owner = nullptr;
    };
    struct ProgramStart {
        std::vector<std::string> argv;
        bool wait = false;
    };

    RecordingPrompt();
    ~RecordingPrompt() override;
    RecordingPrompt(const RecordingPrompt&) = delete;
    RecordingPrompt& operator=(const RecordingPrompt&) = delete;

    // What the program showed or asked for.
    std::vector<Message> messages;
    std::vector<std::string> opened;                // openWithDesktop arguments
    std::vector<ProgramStart> programs;             // runProgram calls
    std::vector<std::vector<unsigned char>> viewed; // the file each started program was given
    int offUiThread = 0;                            // calls from another thread than the creator's

    // How the "user" and the "desktop" answer. Questions take `answers` in order, then the first
    // (defaultYes) or last button; file choosers take `fileAnswers`, an empty queue cancels.
    std::deque<yx::MsgAnswer> answers;
    bool defaultYes = true;
    std::deque<std::optional<std::string>> fileAnswers;
    // Password answers in order; nullopt (or an empty queue) is a cancelled question.
    std::deque<std::optional<std::string>> passwordAnswers;
    bool openSucceeds = true;            // result of openWithDesktop
    int programResult = 0;               // result of runProgram
    std::function<void()> beforeMessage; // runs as a message is shown on the creator's thread

    void answer(yx::MsgAnswer a) { answers.push_back(a); }
    void chooseFileAnswer(std::optional<std::string> path) { fileAnswers.push_back(std::move(path)); }
    const Message* lastMessage() const { return messages.empty() ? nullptr : &messages.back(); }
    bool shown(const std::string& text) const;
    std::vector<std::string> texts() const;
    void clear();

    yx::MsgAnswer message(const std::string& text, const std::string& caption, yx::MsgIcon icon,
                          yx::MsgButtons buttons, void* owner) override;
    std::optional<std::string> chooseFile(const yx::FileChooserRequest& request, void* owner) override;
    bool openWithDesktop(const std::string& pathOrUrl) override;
    int runProgram(const std::vector<std::string>& argv, bool wait) override;
    std::optional<std::string> askPassword(const std::string& text, const std::string& caption,
                                           void* owner) override;

private:
    void noteThread();
    mutable std::recursive_mutex m_mu;
    std::thread::id m_creator = std::this_thread::get_id();
};

} // namespace yxtest
