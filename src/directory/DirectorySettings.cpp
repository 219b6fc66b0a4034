#include "DirectorySettings.h"

#include "Settings.h"

namespace yx::directory {

std::string hostA() {
    return settings::GetProfileString(kSettingsSection, kHostAEntry, kDefaultHostA);
}
std::string hostB() {
    return settings::GetProfileString(kSettingsSection, kHostBEntry, kDefaultHostB);
}

std::string hostLabel(const std::string& url) {
    const size_t scheme = url.find("://");
    if (scheme == std::string::npos)
        return url;
    const size_t start = scheme + 3;
    const size_t end = url.find('/', start);
    const std::string hostPort =
        url.substr(start, end == std::string::npos ? std::string::npos : end - start);
    return hostPort.empty() ? url : hostPort;
}

} // namespace yx::directory
