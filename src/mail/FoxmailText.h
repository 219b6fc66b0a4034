// Pieces of Foxmail's text formats shared by its account files and address books.
#pragma once

#include <string>
#include <string_view>

namespace yx::mail {

// Hash text: upper case, every space removed, then a space before every group of four after the
// first ("a1b2 c3d4 e5" -> "A1B2 C3D4 E5").
std::string hashText(std::string_view thumbprint);

} // namespace yx::mail

// The value of the line that begins with `key` in CR LF separated "key=value" lines; empty when
// absent. A key on the very first line is never found (the two bytes before it must be CR LF); the
// one character behind the key is skipped unexamined. Values are at most 1,023 bytes.
std::string GetKeyValue(std::string_view text, const char* key);
