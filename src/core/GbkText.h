// The program's text is UTF-8. Formats that store ANSI text written by Windows builds (the
// encrypted-file fields, Foxmail's files) hold GBK; these two functions are the only crossing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace yx {

// nullopt when the text holds a character GBK (GB18030 for reading) cannot express / decode.
std::optional<std::string> utf8ToGbk(std::string_view utf8);
std::optional<std::string> gbkToUtf8(std::string_view gbk);

// Appends the UTF-8 form of one code point (at most U+10FFFF, no surrogate).
void appendUtf8(std::string& out, char32_t cp);

// Lossy forms for display: unconvertible characters become '?'.
std::string utf8ToGbkLossy(std::string_view utf8);
std::string gbkToUtf8Lossy(std::string_view gbk);

} // namespace yx
