#include "UiThreadPrompt.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace yx {

UiThreadPrompt::UiThreadPrompt(QWidget* owner) : m_inner(prompt()), m_owner(owner) {
    setPrompt(this);
}

UiThreadPrompt::~UiThreadPrompt() {
    setPrompt(&m_inner);
}

template <typename Result, typename Call> Result UiThreadPrompt::onUiThread(Call call) {
    if (QThread::currentThread() == thread())
        return call();
    // The worker waits here until the UI thread's event loop (the progress dialog's modal loop,
    // or any nested one) has run the call.
    Result result{};
    QMetaObject::invokeMethod(
        this, [&result, &call] { result = call(); }, Qt::BlockingQueuedConnection);
    return result;
}

void* UiThreadPrompt::ownerFor(void* owner) const {
    return owner ? owner : static_cast<QWidget*>(m_owner.data());
}

MsgAnswer UiThreadPrompt::message(const std::string& text, const std::string& caption, MsgIcon icon,
                                  MsgButtons buttons, void* owner) {
    return onUiThread<MsgAnswer>(
        [&] { return m_inner.message(text, caption, icon, buttons, ownerFor(owner)); });
}

std::optional<std::string> UiThreadPrompt::chooseFile(const FileChooserRequest& request, void* owner) {
    return onUiThread<std::optional<std::string>>(
        [&] { return m_inner.chooseFile(request, ownerFor(owner)); });
}

bool UiThreadPrompt::openWithDesktop(const std::string& pathOrUrl) {
    return onUiThread<bool>([&] { return m_inner.openWithDesktop(pathOrUrl); });
}

int UiThreadPrompt::runProgram(const std::vector<std::string>& argv, bool wait) {
    return onUiThread<int>([&] { return m_inner.runProgram(argv, wait); });
}

} // namespace yx
