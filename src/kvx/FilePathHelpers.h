// Path helpers of the file-encryption operations. Both '/' and '\' count as folder separators,
// so paths written the Windows way are taken apart the same way here.
#pragma once

#include <string>

namespace yx::kvx {

// From the last '.' to the end, dot included, when that '.' follows the last separator; else "".
std::string GetFileExt(const std::string& path);
// The part before the last '.', when that '.' follows the last separator; else path.
std::string StripFileExt(const std::string& path);
// path when it already ends with ext (ASCII case ignored; an empty ext always), else path + ext.
std::string EnsureFileExt(const std::string& path, const std::string& ext);
// path without leading and trailing white space.
std::string TrimPath(const std::string& path);

} // namespace yx::kvx
