// Addresses of the program's maker, shown in the about box and opened from the tray menu.
// Packagers change them here.
#pragma once

namespace yx::maker {

inline constexpr const char* kHomePage = "https://www.kavexcorp.example/";
inline constexpr const char* kWebSite = "https://www.kavexcorp.example/";
inline constexpr const char* kSupportAddress = "support@kavexcorp.example";
inline constexpr const char* kSupportMailUrl = "mailto:support@kavexcorp.example";

} // namespace yx::maker
