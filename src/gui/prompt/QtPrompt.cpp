#include "QtPrompt.h"

#include "ProgramStart.h"
#include "prompt/FileFilter.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

namespace yx {

namespace {

QWidget* ownerWidget(void* owner) {
    if (owner)
        return static_cast<QWidget*>(owner);
    return QApplication::activeWindow();
}

QMessageBox::Icon qtIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MsgAnswer QtPrompt::message(const std::string& text, const std::string& caption, MsgIcon icon,
                            MsgButtons buttons, void* owner) {
    QMessageBox box(qtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::NoButton, ownerWidget(owner));
    // Buttons in the classic order and wording; the first is the default.
    struct Choice {
        const char* text;
        QMessageBox::ButtonRole role;
        MsgAnswer answer;
    };
    std::vector<Choice> choices;
    switch (buttons) {
    case MsgButtons::Ok:
        choices = {{"确定", QMessageBox::AcceptRole, MsgAnswer::Ok}};
        break;
    case MsgButtons::OkCancel:
        choices = {{"确定", QMessageBox::AcceptRole, MsgAnswer::Ok},
                   {"取消", QMessageBox::RejectRole, MsgAnswer::Cancel}};
        break;
    case MsgButtons::YesNo:
        choices = {{"是(&Y)", QMessageBox::YesRole, MsgAnswer::Yes},
                   {"否(&N)", QMessageBox::NoRole, MsgAnswer::No}};
        break;
    case MsgButtons::YesNoCancel:
        choices = {{"是(&Y)", QMessageBox::YesRole, MsgAnswer::Yes},
                   {"否(&N)", QMessageBox::NoRole, MsgAnswer::No},
                   {"取消", QMessageBox::RejectRole, MsgAnswer::Cancel}};
        break;
    case MsgButtons::RetryCancel:
        choices = {{"重试(&R)", QMessageBox::AcceptRole, MsgAnswer::Retry},
                   {"取消", QMessageBox::RejectRole, MsgAnswer::Cancel}};
        break;
    }
    std::vector<QAbstractButton*> made;
    for (const Choice& c : choices)
        made.push_back(box.addButton(QString::fromUtf8(c.text), c.role));
    if (auto* first = qobject_cast<QPushButton*>(made.front()))
        box.setDefaultButton(first);
    // Closing the box (Esc, title bar) counts as the last button, as cancel/no does.
    box.setEscapeButton(made.back());
    box.exec();
    for (size_t i = 0; i < made.size(); ++i) {
        if (box.clickedButton() == made[i])
            return choices[i].answer;
    }
    return choices.back().answer;
}

std::optional<std::string> QtPrompt::chooseFile(const FileChooserRequest& request, void* owner) {
    QFileDialog dialog(ownerWidget(owner), QString::fromStdString(request.title));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.filter.empty())
        dialog.setNameFilters(qtNameFilters(request.filter));
    if (!request.defaultSuffix.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultSuffix));
    if (request.save && !request.overwritePrompt)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.initialPath.empty()) {
        const QFileInfo initial(QString::fromStdString(request.initialPath));
        if (initial.isDir()) {
            dialog.setDirectory(initial.absoluteFilePath());
        } else {
            dialog.setDirectory(initial.absolutePath());
            dialog.selectFile(initial.fileName());
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

bool QtPrompt::openWithDesktop(const std::string& pathOrUrl) {
    // xdg-open usually hands over and ends at once, but some openers stay until the document is
    // closed: wait a little for its verdict, keeping the window painted, then take a still
    // running opener as success.
    const int pid = startProgram({"xdg-open", pathOrUrl});
    if (pid < 0)
        return false;
    QDeadlineTimer deadline(openerWaitMs);
    while (!deadline.hasExpired()) {
        if (const std::optional<int> status = programEnded(pid, false))
            return *status == 0;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        QThread::msleep(10);
    }
    releaseProgram(pid);
    return true;
}

int QtPrompt::runProgram(const std::vector<std::string>& argv, bool wait) {
    return spawnProgram(argv, wait);
}

} // namespace yx
