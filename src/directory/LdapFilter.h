// Search filters for the directory look-up (RFC 4515 string form). Values are UTF-8 text as the
// user typed it; nothing in a value can change the filter's structure.
#pragma once

#include <string>
#include <string_view>

namespace yx::directory {

// A value as an assertion value: '*', '(', ')', '\' and NUL become \2a \28 \29 \5c \00, and
// so does every byte that is not part of a well-formed UTF-8 sequence. Valid UTF-8 (Chinese
// names included) is kept as it is.
std::string escapeFilterValue(std::string_view value);

// The filter that finds a person: (cn=NAME) for a name, (mail=EMAIL) for an address,
// (&(cn=NAME)(mail=EMAIL)) for both. Empty when both are empty (no criteria).
std::string userFilter(std::string_view name, std::string_view email);

} // namespace yx::directory
