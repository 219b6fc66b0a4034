// The CRL cache on disk: one DER file per distribution point URL in paths::crlCacheDir(), named
// by the SHA-256 of the URL. Only CRLs whose signature was verified are written here; readers
// still verify what they load, since the folder is only as trustworthy as the user's account.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace yx {

// crlCacheDir()/<lower-case hex SHA-256 of the URL>.crl
std::string crlCachePath(const std::string& url);

// The cached bytes for `url`, or nullopt when there are none.
std::optional<std::vector<unsigned char>> readCachedCrl(const std::string& url, size_t maxBytes);

// Replaces the cached CRL for `url` atomically; false when the folder or file cannot be written.
bool writeCachedCrl(const std::string& url, const std::vector<unsigned char>& der);

} // namespace yx
