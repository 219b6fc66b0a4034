// Small pieces the file-encryption dialogs add to the shared dialog kit: path texts handed over
// from outside, file existence and certificate texts.
#pragma once

#include "DialogKit.h"

#include <QDialogButtonBox>
#include <QString>

#include <string>

class CDigitalCertificate;

namespace yx::encdlg {

using dlgkit::certRowIcon;
using dlgkit::choosePath;
using dlgkit::fitDialog;
using dlgkit::okCancelButtons;
using dlgkit::qstr;
using dlgkit::say;
using dlgkit::sideButton;
using dlgkit::utf8;
using dlgkit::withId;

// A path handed over from outside (command line, page): leading white space removed, then
// leading and trailing double quotes; trailing white space stays.
QString presetPath(const QString& path);

// Whether a file (not a folder) of this name is there.
bool isExistingFile(const QString& path);

// A certificate text from one of its accessors, empty when the accessor fails.
QString certText(CDigitalCertificate* cert, int (CDigitalCertificate::*accessor)(std::string&));

} // namespace yx::encdlg
