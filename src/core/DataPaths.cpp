#include "DataPaths.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace yx::paths {
namespace {

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return (v && *v) ? std::string(v) : std::string();
}

std::string home() {
    std::string h = env("HOME");
    return h.empty() ? std::string("/tmp") : h;
}

std::string underRootOr(const char* sub, const char* xdgVar, const char* xdgDefault) {
    const std::string root = env("YAOXIA_HOME");
    if (!root.empty())
        return root + "/" + sub;
    std::string base = env(xdgVar);
    if (base.empty() || base[0] != '/')
        base = home() + "/" + xdgDefault;
    return base + "/yaoxia";
}

// XDG_DOWNLOAD_DIR="$HOME/Downloads" in user-dirs.dirs, with $HOME expanded.
std::string xdgDownloadDir(const std::string& home) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string file =
        (config && *config ? std::string(config) : home + "/.config") + "/user-dirs.dirs";
    std::ifstream in(file);
    std::string line;
    const std::string prefix = "XDG_DOWNLOAD_DIR=\"";
    while (std::getline(in, line)) {
        if (line.rfind(prefix, 0) != 0 || line.size() < prefix.size() + 1 || line.back() != '"')
            continue;
        std::string value = line.substr(prefix.size(), line.size() - prefix.size() - 1);
        if (value.rfind("$HOME", 0) == 0)
            value = home + value.substr(5);
        if (!value.empty() && value.front() == '/')
            return value;
    }
    return {};
}

} // namespace

std::string configDir() {
    return underRootOr("config", "XDG_CONFIG_HOME", ".config");
}
std::string dataDir() {
    return underRootOr("data", "XDG_DATA_HOME", ".local/share");
}
std::string cacheDir() {
    return underRootOr("cache", "XDG_CACHE_HOME", ".cache");
}
std::string logDir() {
    return underRootOr("log", "XDG_STATE_HOME", ".local/state");
}

std::string tempDir() {
    std::string t = env("TMPDIR");
    return t.empty() ? std::string("/tmp") : t;
}

std::string storeDir(const std::string& storeName) {
    return dataDir() + "/stores/" + storeName;
}
std::string crlCacheDir() {
    return cacheDir() + "/crl";
}

bool ensureDir(const std::string& path) {
    if (path.empty())
        return false;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const auto slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0)
        ensureDir(path.substr(0, slash));
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST)
        return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    return false;
}

std::string executableDir() {
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    if (n <= 0)
        return "./";
    std::string p(buf, static_cast<size_t>(n));
    return p.substr(0, p.find_last_of('/') + 1);
}

std::string downloadDir() {
    const std::string root = env("YAOXIA_HOME");
    if (!root.empty())
        return root + "/downloads";
    const std::string xdg = xdgDownloadDir(home());
    return xdg.empty() ? home() + "/Downloads" : xdg;
}

} // namespace yx::paths
