#include "QtPrompt.h"

#include "FileFilter.h"
#include "InputBlocker.h"
#include "LocalPath.h"
#include "ProgramStart.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>

namespace yx {

namespace {

// The window a box or chooser sits over. A box is placed over its parent's window, so an owner
// that is not on screen (a page that is never shown, a window closed to the tray) gives none:
// the box is then centred on the screen instead of at the hidden window's corner.
QWidget* ownerWidget(void* owner) {
    QWidget* widget = owner ? static_cast<QWidget*>(owner) : QApplication::activeWindow();
    if (widget && !widget->window()->isVisible())
        widget = QApplication::activeWindow();
    return widget && widget->window()->isVisible() ? widget : nullptr;
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
        const QFileInfo initial(pathText(request.initialPath));
        if (initial.isDir()) {
            dialog.setDirectory(initial.absoluteFilePath());
        } else {
            dialog.setDirectory(initial.absolutePath());
            dialog.selectFile(initial.fileName());
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return pathBytes(dialog.selectedFiles().first());
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
    QCoreApplication* app = QCoreApplication::instance();
    if (!wait || !app || QThread::currentThread() != app->thread())
        return spawnProgram(argv, wait);
    // The program (the certificate viewer) is watched from the event loop: the windows keep
    // painting and the tray keeps working, while input to the windows is held back as under a
    // modal dialog.
    const int pid = startProgram(argv);
    if (pid < 0)
        return -1;
    std::optional<int> status = programEnded(pid, false);
    if (status)
        return *status;
    InputBlocker blocker;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(25);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        status = programEnded(pid, false);
        if (status)
            loop.quit();
    });
    poll.start();
    loop.exec();
    if (status)
        return *status;
    releaseProgram(pid); // the program ends on its own when the loop was left early
    return 0;
}

std::optional<std::string> QtPrompt::askPassword(const std::string& text, const std::string& caption,
                                                 void* owner) {
    bool ok = false;
    const QString pw =
        QInputDialog::getText(ownerWidget(owner), QString::fromStdString(caption),
                              QString::fromStdString(text), QLineEdit::Password, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return pw.toStdString();
}

} // namespace yx
