// The two directory hosts: settings section "Directory", entries "HostA" (the CA's own
// directory, searched first) and "HostB" (the provider's general directory). Each is an LDAP URL
// "ldap://host:port/base-dn" or "ldaps://host:port/base-dn"; an empty base DN searches every
// naming context the server announces.
#pragma once

#include <string>

namespace yx::directory {

inline constexpr const char* kSettingsSection = "Directory";
inline constexpr const char* kHostAEntry = "HostA";
inline constexpr const char* kHostBEntry = "HostB";

// Used while the settings hold no entry.
inline constexpr const char* kDefaultHostA = "ldap://ldap.kavexca.cn:389/";
inline constexpr const char* kDefaultHostB = "ldap://dir.kavexca.cn:389/";

std::string hostA();
std::string hostB();

// What a server list shows for a host URL: "host:port" (the host alone without a port), or the
// text itself when it is not an LDAP URL.
std::string hostLabel(const std::string& url);

} // namespace yx::directory
