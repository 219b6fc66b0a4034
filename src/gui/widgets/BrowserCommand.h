// The desktop's registered application for HTML files, used when opening a link through the
// desktop's opener failed. Found in the mimeapps.list files and desktop entries of the XDG
// folders; its command line is cut at the file placeholder and the URL put in its place.
#pragma once

#include <QString>
#include <QStringList>

namespace yx {

// The "Exec" command line of the default application for text/html, empty when none is found.
QString htmlOpenCommand();

// The argument vector for opening `url` with `commandLine`: the command line is cut at its
// placeholder ("%1", or a desktop-entry field code %u %U %f %F, quoted or bare) and the URL
// becomes the next argument; without a placeholder the URL is appended. Empty for an empty
// command line.
QStringList browserArguments(const QString& commandLine, const QString& url);

// Splits a desktop-entry command line into arguments (double quotes group, backslash escapes
// inside quotes).
QStringList splitCommandLine(const QString& commandLine);

} // namespace yx
