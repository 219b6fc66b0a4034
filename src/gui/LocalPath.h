// Paths are bytes on this system, and a name copied from a Windows disk may be GBK, not UTF-8.
// Inside the user interface a path is a QString; these functions carry its bytes through the
// QString unchanged: valid UTF-8 becomes its characters, every byte that is not part of valid
// UTF-8 becomes one lone surrogate (U+DC80..U+DCFF), and the way back restores those bytes.
// (Qt's own file-name conversion would turn them into U+FFFD and lose the file.)
#pragma once

#include <QString>

#include <string>
#include <string_view>

class QUrl;

namespace yx {

QString pathText(std::string_view bytes);
std::string pathBytes(const QString& text);

// The local file a file:// URL (drag and drop) names, its bytes taken from the URL's encoding.
QString pathOfLocalUrl(const QUrl& url);

// File-system checks on the path's bytes.
bool fileExistsAt(const QString& path);        // anything there: file, folder, ...
bool regularFileExistsAt(const QString& path); // a file, not a folder

} // namespace yx
