// Small pieces the certificate dialogs share: control ids as object names, the caption-bearing
// message boxes and file choosers of the prompt seam, the OK/Cancel row, file existence.
#pragma once

#include "UserPrompt.h"

#include <QString>

#include <optional>
#include <string>

class QDialog;
class QDialogButtonBox;
class QIcon;
class QLineEdit;
class QPushButton;
class QWidget;

namespace yx::certdlg {

// Gives a control its resource id as object name ("1016"); returns the control.
template <class W> W* withId(W* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

std::string utf8(const QString& text);

// Whether anything exists under this exact name (file, folder or link), as a look-up of the name
// itself; nothing is created or opened.
bool pathExists(const QString& path);

// A message box through the prompt seam, owned by `owner`.
MsgAnswer say(QWidget* owner, const char* text, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok,
              const char* caption = kAppCaption);

// "您所指定的文件已经存在，要覆盖它吗？" with Yes and No; true for Yes.
bool confirmOverwrite(QWidget* owner);

// The file chooser with no extra options (no overwrite question, no start folder); the chosen
// full path, or nothing when the user cancelled.
std::optional<QString> choosePath(QWidget* owner, bool save, const char* defaultSuffix, const char* filter);

// A masked edit with its id.
QLineEdit* passwordEdit(QWidget* parent, int id);
// A path edit with its id, wide enough for a typical path.
QLineEdit* pathEdit(QWidget* parent, int id);
// A small "..." (or other text) button beside a path field.
QPushButton* browseButton(QWidget* parent, int id, const QString& text = QStringLiteral("..."));

// "确定" (id 1, the default button) and "取消" (id 2). OK calls the dialog's accept(), where its
// checks run; Cancel and Esc call reject().
QDialogButtonBox* okCancelButtons(QDialog* dialog, const QString& okText = QStringLiteral("确定"),
                                  const QString& cancelText = QStringLiteral("取消"));

// The certificate icon of the 16 x 16 result lists (icon resource 255).
QIcon certRowIcon();

// Sizes a dialog to its layout's natural size, at least `minEm` text heights wide.
void fitDialog(QDialog* dialog, int minEm);

} // namespace yx::certdlg
