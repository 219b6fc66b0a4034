// Small pieces the file-encryption dialogs share: ids as object names, messages and file
// choosers through the prompt seam, path texts, the certificate row icon and certificate texts.
#pragma once

#include "UserPrompt.h"

#include <QDialogButtonBox>
#include <QString>

#include <optional>
#include <string>

class CDigitalCertificate;
class QDialog;
class QIcon;
class QPushButton;
class QWidget;

namespace yx::encdlg {

// Gives a control its resource id as object name ("1091"); returns the control.
template <class W> W* withId(W* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

std::string utf8(const QString& text);
QString qstr(const std::string& text);

// A message box with the caption "钥匣", owned by `owner`.
MsgAnswer say(QWidget* owner, const char* text, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok);
MsgAnswer say(QWidget* owner, const std::string& text, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok);

// A file chooser; the chosen path, or nothing when the user cancelled. The dialogs ask their own
// overwrite questions, so the chooser asks none.
std::optional<QString> choosePath(QWidget* owner, bool save, const std::string& defaultSuffix,
                                  const char* filter, const QString& initialPath = {});

// A path handed over from outside (command line, page): leading white space removed, then
// leading and trailing double quotes; trailing white space stays.
QString presetPath(const QString& path);

// Whether a file (not a folder) of this name is there.
bool isExistingFile(const QString& path);

// The certificate icon of the 16 x 16 lists (icon resource 255).
QIcon certRowIcon();

// A certificate text from one of its accessors, empty when the accessor fails.
QString certText(CDigitalCertificate* cert, int (CDigitalCertificate::*accessor)(std::string&));

// A push button that is never the default, so Enter in a field reaches the dialog's OK.
QPushButton* sideButton(QWidget* parent, int id, const QString& text);

// The OK (id 1, default) and Cancel (id 2) row; OK calls accept(), Cancel and Esc reject().
QDialogButtonBox* okCancelRow(QDialog* dialog, const QString& okText, const QString& cancelText = "取消");

// Sizes a dialog to its layout, at least `minEm` text heights wide.
void fitDialog(QDialog* dialog, int minEm);

} // namespace yx::encdlg
