#include "ViewerPrompt.h"

#include "LocalPath.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace yx::viewer {
namespace {

QString utf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A box sits over its owner's window; an owner not on screen gives none, and the box is centred.
QWidget* shownOwner(void* owner) {
    auto* widget = static_cast<QWidget*>(owner);
    return widget && widget->window()->isVisible() ? widget : nullptr;
}

} // namespace

QString qtNameFilters(const std::string& mfcFilter) {
    const QStringList parts = utf8(mfcFilter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // The description usually names its patterns already ("PFX 文件(*.pfx)").
        filters << (parts[i].contains(QLatin1Char('(')) ? parts[i].section(QLatin1Char('('), 0, 0).trimmed()
                                                        : parts[i]) +
                       QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

yx::MsgAnswer ViewerPrompt::message(const std::string& text, const std::string& caption, yx::MsgIcon icon,
                                    yx::MsgButtons buttons, void* owner) {
    QMessageBox box(shownOwner(owner));
    box.setWindowTitle(utf8(caption));
    box.setText(utf8(text));
    switch (icon) {
    case yx::MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case yx::MsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case yx::MsgIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case yx::MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case yx::MsgIcon::None:
        break;
    }
    struct Choice {
        QMessageBox::StandardButton button;
        const char* text;
        yx::MsgAnswer answer;
    };
    std::vector<Choice> choices;
    switch (buttons) {
    case yx::MsgButtons::Ok:
        choices = {{QMessageBox::Ok, "确定", yx::MsgAnswer::Ok}};
        break;
    case yx::MsgButtons::OkCancel:
        choices = {{QMessageBox::Ok, "确定", yx::MsgAnswer::Ok},
                   {QMessageBox::Cancel, "取消", yx::MsgAnswer::Cancel}};
        break;
    case yx::MsgButtons::YesNo:
        choices = {{QMessageBox::Yes, "是(&Y)", yx::MsgAnswer::Yes},
                   {QMessageBox::No, "否(&N)", yx::MsgAnswer::No}};
        break;
    case yx::MsgButtons::YesNoCancel:
        choices = {{QMessageBox::Yes, "是(&Y)", yx::MsgAnswer::Yes},
                   {QMessageBox::No, "否(&N)", yx::MsgAnswer::No},
                   {QMessageBox::Cancel, "取消", yx::MsgAnswer::Cancel}};
        break;
    case yx::MsgButtons::RetryCancel:
        choices = {{QMessageBox::Retry, "重试(&R)", yx::MsgAnswer::Retry},
                   {QMessageBox::Cancel, "取消", yx::MsgAnswer::Cancel}};
        break;
    }
    for (const Choice& c : choices)
        box.addButton(c.button)->setText(QString::fromUtf8(c.text));
    box.setDefaultButton(choices.front().button);
    const auto clicked = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const Choice& c : choices)
        if (c.button == clicked)
            return c.answer;
    // Closed by Esc or the title bar: the cancelling answer.
    return choices.size() > 1 ? choices.back().answer : choices.front().answer;
}

std::optional<std::string> ViewerPrompt::chooseFile(const yx::FileChooserRequest& request, void* owner) {
    QFileDialog dialog(shownOwner(owner), utf8(request.title), yx::pathText(request.initialPath),
                       qtNameFilters(request.filter));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.defaultSuffix.empty())
        dialog.setDefaultSuffix(utf8(request.defaultSuffix));
    if (!request.overwritePrompt)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return yx::pathBytes(dialog.selectedFiles().front());
}

} // namespace yx::viewer
