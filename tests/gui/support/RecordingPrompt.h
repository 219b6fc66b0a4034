// A user prompt for tests: keeps every message, answers questions from a queue, hands out
// queued file-chooser answers, and records what would have been opened or started. It installs
// itself as the program's prompt for its lifetime (the console prompt is back afterwards).
#pragma once

#include "UserPrompt.h"

#include <deque>
#include <optional>
#include <string>
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

    // --- What the program showed or asked for ---
    std::vector<Message> messages;
    std::vector<yx::FileChooserRequest> fileRequests;
    std::vector<std::string> opened;    // openWithDesktop arguments
    std::vector<ProgramStart> programs; // runProgram calls

    // --- How the "user" and the "desktop" answer ---
    // Answers for questions (messages with more than one button), used in order; when the queue
    // is empty, defaultAnswer is given (mapped onto the buttons shown: Yes/Ok vs No/Cancel).
    std::deque<yx::MsgAnswer> answers;
    bool defaultYes = true;
    // File-chooser answers in order; nullopt (or an empty queue) is a cancelled chooser.
    std::deque<std::optional<std::string>> fileAnswers;
    // Password answers in order; nullopt (or an empty queue) is a cancelled question.
    std::deque<std::optional<std::string>> passwordAnswers;
    std::vector<std::string> passwordQuestions;
    bool openSucceeds = true; // result of openWithDesktop
    int programResult = 0;    // result of runProgram

    // Convenience.
    void answer(yx::MsgAnswer a) { answers.push_back(a); }
    void chooseFileAnswer(std::optional<std::string> path) { fileAnswers.push_back(std::move(path)); }
    const Message* lastMessage() const { return messages.empty() ? nullptr : &messages.back(); }
    bool shown(const std::string& text) const; // a message with exactly this text was shown
    void clear();

    // yx::UserPrompt
    yx::MsgAnswer message(const std::string& text, const std::string& caption, yx::MsgIcon icon,
                          yx::MsgButtons buttons, void* owner) override;
    std::optional<std::string> chooseFile(const yx::FileChooserRequest& request, void* owner) override;
    bool openWithDesktop(const std::string& pathOrUrl) override;
    int runProgram(const std::vector<std::string>& argv, bool wait) override;
    std::optional<std::string> askPassword(const std::string& text, const std::string& caption,
                                           void* owner) override;
};

} // namespace yxtest
