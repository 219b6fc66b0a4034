#include "DecryptOperation.h"

#include "FilePathHelpers.h"
#include "UserPrompt.h"

#include <algorithm>
#include <cctype>

namespace yx::kvx {
namespace {

std::string normalThumb(const std::string& t) {
    std::string out;
    for (char c : t)
        if (c != ' ')
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

std::string decryptedPath(const DecryptHead& head, const std::string& source, const std::string& target) {
    // The extension comes from the file: one that names another folder is not followed.
    std::string extension = head.headerFields().extension;
    if (extension.find_first_of("/\\") != std::string::npos)
        extension.clear();
    return EnsureFileExt(target.empty() ? StripFileExt(source) : target, extension);
}

int prepareDecrypt(const DecryptRequest& request, DecryptJob& job) {
    DecryptHead head;
    std::string message;
    if (ReadDecryptHead(request.source, head, message) != 1) {
        showMessage(message, MsgIcon::Error);
        return kHeadUnreadable;
    }
    if (head.version == Version::V1) {
        // Version 1 files are the maker's library's own format, which this build has not.
        showMessage(engineMessage(kVersion1Unsupported), MsgIcon::Error);
        return kVersion1Unsupported;
    }
    PersonalStoreKeys personal;
    RecipientKeySource& keys = request.keys ? *request.keys : personal;
    const auto usable = usableRecords(head, [&](const std::string& t) { return keys.holds(t); });
    const UsableRecord* chosen = nullptr;
    for (const auto& u : usable)
        if (request.certThumbprint.empty() ||
            normalThumb(u.thumbprint) == normalThumb(request.certThumbprint)) {
            chosen = &u;
            break;
        }
    if (!chosen && request.lenient && !usable.empty())
        chosen = &usable.front();
    if (!chosen) {
        showMessage(engineMessage(kNoDecryptCertificate), MsgIcon::Warning);
        return kNoDecryptCertificate;
    }
    if (head.isProtected() && request.password.empty()) {
        showMessage(engineMessage(kPasswordMissing), MsgIcon::Information);
        return kPasswordMissing;
    }
    job = DecryptJob{};
    job.source = request.source;
    job.target = decryptedPath(head, request.source, request.target);
    job.password = request.lenient && !head.isProtected() ? std::string() : request.password;
    job.dataOffset = head.dataOffset;
    job.record = head.records[chosen->index];
    job.askToOpen = request.askToOpen;
    job.keys = request.keys;
    return kResultOk;
}

} // namespace yx::kvx
