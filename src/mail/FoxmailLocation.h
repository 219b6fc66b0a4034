// Where Foxmail lives. Foxmail 3.x is a Windows program run under Wine: its registry key
// "Software\Aerofox\Foxmail" is looked up first in our own registry (where a user or a test may put
// it), then in the Wine prefix's user.reg ($WINEPREFIX, else ~/.wine); Windows paths it names
// ("C:\...") are mapped to files through the prefix's dosdevices links.
#pragma once

#include <string>

// 0 when Foxmail's key exists (`folder` set to the Windows folder of the program when the "V3.1"
// subkey's "FoxmailPath" was found, else left as it was); -1 when there is no key.
int FindFoxmailPath(std::string& folder);

namespace yx::mail {

// The Wine prefix in use: $WINEPREFIX, else ~/.wine.
std::string winePrefix();
// A Windows path ("C:\Foxmail\Address", "\\?\..." not supported) as a path of this system, through
// <prefix>/dosdevices/<drive>: (falling back to <prefix>/drive_c for C:). A path that is already a
// path of this system (beginning with "/") is returned unchanged. Empty when it cannot be mapped.
std::string toLocalPath(const std::string& windowsPath);
// Path components are matched without regard to letter case, as Windows does; returns the
// existing entry of that name in `dir` (exact name first), or `name` itself when none exists.
std::string findEntryNoCase(const std::string& dir, const std::string& name);

} // namespace yx::mail
