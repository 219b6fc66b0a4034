// One GET over libcurl for the update: bounded in size and time, redirects followed only on the
// same host, cancellable, with progress. The only network code of the update.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace yx::update {

struct TransferLimits {
    long connectTimeoutMs = 10000;
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    // Transfers slower than one byte per second for this long end (downloads have no deadline).
    long stallSeconds = 30;
    uint64_t maxBytes = 0;
    int maxRedirects = 3;
};

using ProgressFn = std::function<void(uint64_t done, uint64_t total)>;

// Takes the body piece by piece as it arrives; false stops the transfer (kSaveFailed).
using BodySink = std::function<bool(const unsigned char* data, size_t size)>;

// 0 when the whole body went to `sink` (the bodies of redirects never do); otherwise kBadServer,
// kNoAnswer, kRedirectRefused, kTooLarge, kCancelled or kSaveFailed, with curl's text in `error`
// where there is one. cancel may be null.
int fetch(const std::string& url, const TransferLimits& limits, const std::atomic<bool>* cancel,
          const ProgressFn& progress, const BodySink& sink, std::string& error);

// The same for a small body kept in memory (cleared on failure).
int fetch(const std::string& url, const TransferLimits& limits, const std::atomic<bool>* cancel,
          const ProgressFn& progress, std::vector<unsigned char>& body, std::string& error);

} // namespace yx::update
