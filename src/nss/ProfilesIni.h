// The profile list of a Mozilla program (Firefox, Thunderbird): profiles.ini beside the profile
// folders. Only [ProfileN] sections matter here; odd entries are skipped and named, never fatal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace yx::nss {

struct IniProfile {
    std::string name;       // Name=, else the folder's last path part
    std::string path;       // Path= as written (forward slashes)
    bool isRelative = true; // IsRelative=1, or no IsRelative and a path not starting with '/'
};

struct ParsedProfiles {
    std::vector<IniProfile> profiles; // in file order, each Path once
    std::vector<std::string> skipped; // why a section was left out, for the user
};

ParsedProfiles parseProfilesIni(std::string_view text);

// The profile's folder: `iniDir` joined with a relative path, else the path itself; lexically
// normalised without a trailing '/'.
std::string profileDir(const std::string& iniDir, const IniProfile& profile);

} // namespace yx::nss
