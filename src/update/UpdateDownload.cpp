#include "UpdateDownload.h"

#include "DataPaths.h"
#include "HexText.h"
#include "OpenSslHolders.h"
#include "SafeFile.h"
#include "UpdateResult.h"

namespace yx::update {
namespace {

// `name` in `folder`, or, when a file of that name is there already, "name (2)", "name (3)" ...
// before its extension: the first dot followed by a letter (".tar.gz" of "yaoxia-1.2.0.tar.gz").
std::string freeTarget(const std::string& folder, const std::string& name) {
    size_t dot = 0;
    while ((dot = name.find('.', dot + 1)) != std::string::npos)
        if (dot + 1 < name.size() && !(name[dot + 1] >= '0' && name[dot + 1] <= '9'))
            break;
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
    std::string target = folder + "/" + name;
    for (int n = 2; fileExists(target); ++n)
        target = folder + "/" + stem + " (" + std::to_string(n) + ")" + ext;
    return target;
}

} // namespace

std::string downloadFileName(const UpdateManifest& manifest) {
    std::string path = manifest.url;
    if (const size_t cut = path.find_first_of("?#"); cut != std::string::npos)
        path.resize(cut);
    const size_t scheme = path.find("://");
    const size_t slash = path.rfind('/');
    std::string name = slash != std::string::npos && (scheme == std::string::npos || slash > scheme + 2)
                           ? path.substr(slash + 1)
                           : std::string();
    for (char& c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '.' || c == '-' || c == '_' || c == '+';
        if (!plain)
            c = '_';
    }
    if (name.empty() || name.front() == '.')
        name = "yaoxia-" + manifest.version;
    return name;
}

DownloadOutcome downloadUpdate(const UpdateManifest& manifest, const std::string& folder,
                               const std::atomic<bool>* cancel, const ProgressFn& progress,
                               long connectTimeoutMs) {
    DownloadOutcome out;
    // The release goes straight into an unnamed file in the folder, which gets its name only once
    // its hash is right: memory stays small whatever the size, and nothing half-made is seen.
    const std::string name = downloadFileName(manifest);
    AtomicOutput file;
    EvpMdCtxPtr md(EVP_MD_CTX_new());
    if (!paths::ensureDir(folder) || !file.open(freeTarget(folder, name), 0644) || !md ||
        EVP_DigestInit_ex(md.get(), EVP_sha256(), nullptr) != 1) {
        out.code = kSaveFailed;
        out.error = folder + "/" + name;
        return out;
    }
    TransferLimits limits;
    limits.connectTimeoutMs = connectTimeoutMs;
    limits.maxBytes = manifest.size;
    uint64_t received = 0;
    const BodySink sink = [&](const unsigned char* data, size_t size) {
        received += size;
        return EVP_DigestUpdate(md.get(), data, size) == 1 && writeAll(file.fd(), data, size);
    };
    out.code = fetch(manifest.url, limits, cancel, progress, sink, out.error);
    if (out.code == kSaveFailed)
        out.error = file.target();
    if (out.code != 0)
        return out;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    if (received != manifest.size || EVP_DigestFinal_ex(md.get(), digest, &len) != 1 ||
        hexText(digest, len) != manifest.sha256) {
        out.code = kHashMismatch;
        return out;
    }
    // A file of the user's that took the release's name meanwhile stays.
    file.retarget(freeTarget(folder, name));
    if (!file.commit()) {
        out.code = kSaveFailed;
        out.error = file.target();
        return out;
    }
    out.savedPath = file.target();
    return out;
}

} // namespace yx::update
