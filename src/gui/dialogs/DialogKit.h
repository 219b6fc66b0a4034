// Small pieces all dialogs share: control ids as object names, UTF-8 texts, message boxes and
// file choosers through the prompt seam, the OK/Cancel row, side buttons, the certificate row
// icon, the dialog's starting size, path and password fields, file existence and certificate texts.
#pragma once

#include "UserPrompt.h"

#include <QDialogButtonBox>
#include <QString>

#include <optional>
#include <string>

class CDigitalCertificate;
class QDialog;
class QIcon;
class QLineEdit;
class QPushButton;
class QWidget;

namespace yx::dlgkit {

// Gives a control its resource id as object name ("1016"); returns the control.
template <class W> W* withId(W* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

std::string utf8(const QString& text);
QString qstr(const std::string& text);

// A message box through the prompt seam, owned by `owner`.
MsgAnswer say(QWidget* owner, const std::string& text, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok,
              const std::string& caption = kAppCaption);

// A file chooser; the chosen full path, or nothing when the user cancelled. The dialogs ask their
// own overwrite questions, so the chooser asks none.
std::optional<QString> choosePath(QWidget* owner, bool save, const std::string& defaultSuffix,
                                  const char* filter, const QString& initialPath = {});

// A push button that is never the default, so Enter in a field reaches the dialog's OK.
QPushButton* sideButton(QWidget* parent, int id, const QString& text);

// OK (id 1, the default button) and Cancel (id 2). OK calls the dialog's accept(), where its
// checks run; Cancel and Esc call reject().
QDialogButtonBox* okCancelButtons(QDialog* dialog, const QString& okText = QStringLiteral("确定"),
                                  const QString& cancelText = QStringLiteral("取消"));

// The certificate icon of the 16 x 16 lists (icon resource 255).
// A chooser's layout: the list above; below it `side` on the left and `buttons` on the right. The
// OK button, which starts disabled (nothing is chosen yet).
QPushButton* chooserLayout(QDialog* dialog, QWidget* list, QPushButton* side, QDialogButtonBox* buttons);

QIcon certRowIcon();

// Sizes a dialog to its layout's natural size, at least `minEm` text heights wide.
void fitDialog(QDialog* dialog, int minEm);

// Certificate dialogs.

// Whether anything exists under this exact name (file, folder or link), as a look-up of the name
// itself; nothing is created or opened.
bool pathExists(const QString& path);

// "您所指定的文件已经存在，要覆盖它吗？" with Yes and No; true for Yes.
bool confirmOverwrite(QWidget* owner);

// A masked edit with its id.
QLineEdit* passwordEdit(QWidget* parent, int id);
// A path edit with its id, wide enough for a typical path.
QLineEdit* pathEdit(QWidget* parent, int id);
// A small "..." (or other text) button beside a path field.
QPushButton* browseButton(QWidget* parent, int id, const QString& text = QStringLiteral("..."));

// File-encryption dialogs.

// A path handed over from outside (command line, page): leading white space removed, then
// leading and trailing double quotes; trailing white space stays.
QString presetPath(const QString& path);

// Whether a file (not a folder) of this name is there.
bool isExistingFile(const QString& path);

// A certificate text from one of its accessors, empty when the accessor fails.
QString certText(CDigitalCertificate* cert, int (CDigitalCertificate::*accessor)(std::string&));

} // namespace yx::dlgkit
