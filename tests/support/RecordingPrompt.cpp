#include "RecordingPrompt.h"

#include "TestPki.h"

#include <algorithm>

namespace yxtest {

namespace {

// The answer a person would give by pressing the first (positive) or the last (negative) button.
yx::MsgAnswer defaultFor(yx::MsgButtons buttons, bool yes) {
    switch (buttons) {
    case yx::MsgButtons::Ok:
        return yx::MsgAnswer::Ok;
    case yx::MsgButtons::OkCancel:
        return yes ? yx::MsgAnswer::Ok : yx::MsgAnswer::Cancel;
    case yx::MsgButtons::RetryCancel:
        return yes ? yx::MsgAnswer::Retry : yx::MsgAnswer::Cancel;
    case yx::MsgButtons::YesNo:
        return yes ? yx::MsgAnswer::Yes : yx::MsgAnswer::No;
    case yx::MsgButtons::YesNoCancel:
        return yes ? yx::MsgAnswer::Yes : yx::MsgAnswer::Cancel;
    }
    return yx::MsgAnswer::Ok;
}

// The first queued answer, taken off the queue; `none` when the queue is empty.
template <class T> T takeFirst(std::deque<T>& queue, T none) {
    if (queue.empty())
        return none;
    T first = std::move(queue.front());
    queue.pop_front();
    return first;
}

} // namespace

RecordingPrompt::RecordingPrompt() {
    yx::setPrompt(this);
}

RecordingPrompt::~RecordingPrompt() {
    if (&yx::prompt() == this)
        yx::setPrompt(nullptr);
}

void RecordingPrompt::noteThread() {
    if (std::this_thread::get_id() != m_creator)
        ++offUiThread;
}

std::vector<std::string> RecordingPrompt::texts() const {
    std::lock_guard lock(m_mu);
    std::vector<std::string> out;
    for (const Message& m : messages)
        out.push_back(m.text);
    return out;
}

bool RecordingPrompt::shown(const std::string& text) const {
    std::lock_guard lock(m_mu);
    return std::ranges::any_of(messages, [&](const Message& m) { return m.text == text; });
}

void RecordingPrompt::clear() {
    std::lock_guard lock(m_mu);
    messages.clear();
    opened.clear();
    programs.clear();
    viewed.clear();
    answers.clear();
    fileAnswers.clear();
    passwordAnswers.clear();
}

yx::MsgAnswer RecordingPrompt::message(const std::string& text, const std::string& caption, yx::MsgIcon icon,
                                       yx::MsgButtons buttons, void* owner) {
    if (std::this_thread::get_id() == m_creator && beforeMessage)
        beforeMessage();
    std::lock_guard lock(m_mu);
    noteThread();
    messages.push_back({text, caption, icon, buttons, owner});
    if (buttons == yx::MsgButtons::Ok)
        return yx::MsgAnswer::Ok;
    return takeFirst(answers, defaultFor(buttons, defaultYes));
}

std::optional<std::string> RecordingPrompt::askPassword(const std::string&, const std::string&, void*) {
    std::lock_guard lock(m_mu);
    noteThread();
    return takeFirst(passwordAnswers, std::optional<std::string>());
}

std::optional<std::string> RecordingPrompt::chooseFile(const yx::FileChooserRequest&, void*) {
    std::lock_guard lock(m_mu);
    noteThread();
    return takeFirst(fileAnswers, std::optional<std::string>());
}

bool RecordingPrompt::openWithDesktop(const std::string& pathOrUrl) {
    std::lock_guard lock(m_mu);
    noteThread();
    opened.push_back(pathOrUrl);
    return openSucceeds;
}

int RecordingPrompt::runProgram(const std::vector<std::string>& argv, bool wait) {
    std::lock_guard lock(m_mu);
    noteThread();
    programs.push_back({argv, wait});
    if (!argv.empty())
        viewed.push_back(readFile(argv.back()));
    return programResult;
}

} // namespace yxtest
