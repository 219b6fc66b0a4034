// Where the program keeps its files. YAOXIA_HOME puts everything under one folder (tests and
// scripts use it); otherwise the XDG base directories are used.
#pragma once

#include <string>

namespace yx::paths {

std::string configDir(); // registry file      ($YAOXIA_HOME/config  | $XDG_CONFIG_HOME/yaoxia)
std::string dataDir();   // certificate stores ($YAOXIA_HOME/data    | $XDG_DATA_HOME/yaoxia)
std::string cacheDir();  // CRL cache          ($YAOXIA_HOME/cache   | $XDG_CACHE_HOME/yaoxia)
std::string logDir();    // log file           ($YAOXIA_HOME/log     | $XDG_STATE_HOME/yaoxia)
std::string tempDir();   // $TMPDIR or /tmp
// Where downloads go ($YAOXIA_HOME/downloads | XDG_DOWNLOAD_DIR of user-dirs.dirs | ~/Downloads).
std::string downloadDir();

std::string storeDir(const std::string& storeName); // dataDir()/stores/<name>
std::string crlCacheDir();                          // cacheDir()/crl

// Creates the folder and its parents (mode 0700 for folders we create); true when it exists afterwards.
bool ensureDir(const std::string& path);

// Folder of the running executable, with a trailing '/'.
std::string executableDir();

} // namespace yx::paths
