#include "UpdateTransfer.h"

#include "UpdateManifest.h"
#include "UpdateResult.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace yx::update {
namespace {

struct CurlDeleter {
    void operator()(CURL* c) const noexcept { curl_easy_cleanup(c); }
};
struct CurlUrlDeleter {
    void operator()(CURLU* u) const noexcept { curl_url_cleanup(u); }
};

struct Sink {
    CURL* curl;
    const BodySink* body;
    uint64_t limit;
    const std::atomic<bool>* cancel;
    const ProgressFn* progress;
    uint64_t taken = 0;
    bool overflow = false;
    bool refused = false;
    bool cancelled = false;
};

size_t onData(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t n = size * count;
    long status = 0;
    curl_easy_getinfo(sink->curl, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 300 && status < 400)
        return n; // a redirect's own page is nobody's body
    if (sink->taken + n > sink->limit) {
        sink->overflow = true;
        return 0; // curl stops with CURLE_WRITE_ERROR
    }
    if (!(*sink->body)(reinterpret_cast<const unsigned char*>(data), n)) {
        sink->refused = true;
        return 0;
    }
    sink->taken += n;
    return n;
}

// Called by curl at least once a second, also while nothing arrives: the place to notice cancel.
int onProgress(void* user, curl_off_t total, curl_off_t done, curl_off_t, curl_off_t) {
    auto* sink = static_cast<Sink*>(user);
    if (sink->cancel && sink->cancel->load()) {
        sink->cancelled = true;
        return 1;
    }
    if (*sink->progress && done > 0)
        (*sink->progress)(static_cast<uint64_t>(done), static_cast<uint64_t>(total));
    return 0;
}

std::string hostOf(const std::string& url) {
    std::unique_ptr<CURLU, CurlUrlDeleter> u(curl_url());
    char* host = nullptr;
    if (!u || curl_url_set(u.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK ||
        curl_url_get(u.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK || !host)
        return {};
    std::string out(host);
    curl_free(host);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

long remainingMs(std::chrono::steady_clock::time_point deadline) {
    if (deadline == std::chrono::steady_clock::time_point::max())
        return 0; // no limit
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
            .count();
    return left > 0 ? static_cast<long>(left) : -1;
}

} // namespace

int fetch(const std::string& url, const TransferLimits& limits, const std::atomic<bool>* cancel,
          const ProgressFn& progress, std::vector<unsigned char>& body, std::string& error) {
    body.clear();
    const int rc = fetch(
        url, limits, cancel, progress,
        [&body](const unsigned char* data, size_t size) {
            body.insert(body.end(), data, data + size);
            return true;
        },
        error);
    if (rc != 0)
        body.clear();
    return rc;
}

int fetch(const std::string& startUrl, const TransferLimits& limits, const std::atomic<bool>* cancel,
          const ProgressFn& progress, const BodySink& body, std::string& error) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    error.clear();
    const std::string host = hostOf(startUrl);
    std::string url = startUrl;
    for (int hop = 0; hop <= limits.maxRedirects; ++hop) {
        if (!isAcceptedUrl(url))
            return hop == 0 ? kBadServer : kRedirectRefused;
        const long leftMs = remainingMs(limits.deadline);
        if (leftMs < 0) {
            error = "timed out";
            return kNoAnswer;
        }
        std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
        if (!curl) {
            error = "curl_easy_init failed";
            return kNoAnswer;
        }
        CURL* c = curl.get();
        Sink sink{c, &body, limits.maxBytes, cancel, &progress};
        char errbuf[CURL_ERROR_SIZE] = {};
        curl_easy_setopt(c, CURLOPT_URL, url.c_str());
        curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L); // each hop is checked here
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
        curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, leftMs);
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
        curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
        curl_easy_setopt(c, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
        curl_easy_setopt(c, CURLOPT_USERAGENT, "yaoxia-update/1");
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, onData);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
        curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, onProgress);
        curl_easy_setopt(c, CURLOPT_XFERINFODATA, &sink);
        curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errbuf);

        const CURLcode rc = curl_easy_perform(c);
        if (sink.cancelled)
            return kCancelled;
        if (sink.overflow || rc == CURLE_FILESIZE_EXCEEDED)
            return kTooLarge;
        if (sink.refused)
            return kSaveFailed;
        if (rc != CURLE_OK) {
            error = errbuf[0] ? errbuf : curl_easy_strerror(rc);
            return kNoAnswer;
        }
        long status = 0;
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
        if (status < 300 || status >= 400)
            return 0;
        char* next = nullptr;
        curl_easy_getinfo(c, CURLINFO_REDIRECT_URL, &next);
        if (!next) {
            error = "redirect without a location";
            return kNoAnswer;
        }
        // A redirect may move within the update server, never to another host.
        if (hostOf(next) != host) {
            error = std::string("redirect to ") + next;
            return kRedirectRefused;
        }
        url = next;
    }
    error = "too many redirects";
    return kNoAnswer;
}

} // namespace yx::update
