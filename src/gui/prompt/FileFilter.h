// File-chooser filters: the program states them in the classic "description|patterns|...||"
// form; Qt wants "description (patterns);;...".
#pragma once

#include <QString>
#include <QStringList>

#include <string>

namespace yx {

// "PFX 文件(*.pfx)|*.pfx|所有文件(*.*)|*.*||" -> {"PFX 文件 (*.pfx)", "所有文件 (*)"}.
// The patterns after each description are what the filter matches (";" separates several);
// a parenthesised pattern list at the end of a description is replaced by them. "*.*" matches
// every file, with or without a dot, as it does in the classic form.
QStringList qtNameFilters(const std::string& classicFilter);

// The same joined with ";;" for QFileDialog.
QString qtFilterString(const std::string& classicFilter);

} // namespace yx
