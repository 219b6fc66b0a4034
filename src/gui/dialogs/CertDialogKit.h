// Small pieces the certificate dialogs add to the shared dialog kit: file existence, the
// overwrite question, password and path fields and the "..." button.
#pragma once

#include "DialogKit.h"

#include <QString>

class QLineEdit;
class QPushButton;
class QWidget;

namespace yx::certdlg {

using dlgkit::certRowIcon;
using dlgkit::choosePath;
using dlgkit::fitDialog;
using dlgkit::okCancelButtons;
using dlgkit::say;
using dlgkit::utf8;
using dlgkit::withId;

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

} // namespace yx::certdlg
