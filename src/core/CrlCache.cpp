#include "CrlCache.h"

#include "DataPaths.h"
#include "HexText.h"
#include "SafeFile.h"

#include <openssl/evp.h>

namespace yx {

std::string crlCachePath(const std::string& url) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    EVP_Digest(url.data(), url.size(), digest, &len, EVP_sha256(), nullptr);
    return paths::crlCacheDir() + "/" + hexText(digest, len) + ".crl";
}

std::optional<std::vector<unsigned char>> readCachedCrl(const std::string& url, size_t maxBytes) {
    const std::string path = crlCachePath(url);
    if (!isRegularFile(path))
        return std::nullopt;
    return readWholeFile(path, maxBytes);
}

bool writeCachedCrl(const std::string& url, const std::vector<unsigned char>& der) {
    if (der.empty() || !paths::ensureDir(paths::crlCacheDir()))
        return false;
    return atomicWriteFile(crlCachePath(url), der, 0600);
}

} // namespace yx
