// Downloads the release a verified manifest names, checks its SHA-256 and saves it.
#pragma once

#include "UpdateManifest.h"
#include "UpdateTransfer.h"

#include <atomic>
#include <string>

namespace yx::update {

struct DownloadOutcome {
    int code = -1;
    std::string savedPath; // on success
    std::string error;     // detail for a failure
};

// Fetches manifest.url (at most manifest.size bytes), compares its SHA-256 with the manifest and
// only then writes it into `folder` (created when missing) under the URL's file name, with " (2)",
// " (3)" ... before the extension when a file of that name is there already. Codes: 0, kBadServer, kNoAnswer,
// kRedirectRefused, kTooLarge, kCancelled, kHashMismatch, kSaveFailed. progress runs on the calling thread.
DownloadOutcome downloadUpdate(const UpdateManifest& manifest, const std::string& folder,
                               const std::atomic<bool>* cancel, const ProgressFn& progress,
                               long connectTimeoutMs = 10000);

// The file name a download is saved under: the last segment of the URL's path, made safe, or
// "yaoxia-<version>" when it has none.
std::string downloadFileName(const UpdateManifest& manifest);

} // namespace yx::update
