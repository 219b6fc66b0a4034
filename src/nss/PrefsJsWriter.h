// Changing one string preference of a prefs.js text. The statement that sets it is rewritten in
// place; a preference not set yet gets a line of its own at the end. Every other byte (comments,
// other preferences, line ends) stays as it was. A text the change would not read back from (an
// unfinished comment or string at its end) gives nullopt: such a file is not edited.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace yx::nss {

std::optional<std::string> withUserPref(std::string_view text, const std::string& name,
                                        const std::string& value);

// A JavaScript string literal in double quotes, as Mozilla programs write them.
std::string quotedPref(const std::string& value);

} // namespace yx::nss
