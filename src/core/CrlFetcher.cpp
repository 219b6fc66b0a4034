#include "CrlFetcher.h"

#include <curl/curl.h>
#include <mutex>
#include <openssl/err.h>
#include <openssl/pem.h>

namespace yx {
namespace {

struct Sink {
    std::vector<unsigned char>* body;
    size_t limit;
    bool overflow = false;
};

size_t onData(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t n = size * count;
    if (sink->body->size() + n > sink->limit) {
        sink->overflow = true;
        return 0; // makes curl stop with CURLE_WRITE_ERROR
    }
    sink->body->insert(sink->body->end(), data, data + n);
    return n;
}

struct CurlDeleter {
    void operator()(CURL* c) const noexcept { curl_easy_cleanup(c); }
};

} // namespace

FetchResult fetchUrl(const std::string& url, const RevocationOptions& options) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    FetchResult result;
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        result.error = "curl_easy_init failed";
        return result;
    }
    Sink sink{&result.body, options.maxCrlBytes};
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, options.totalTimeoutMs);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L); // time-outs without SIGALRM; safe off the main thread
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxCrlBytes));
    curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
    // A loopback address never goes through a proxy configured for the outside world.
    curl_easy_setopt(c, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
    curl_easy_setopt(c, CURLOPT_USERAGENT, "yaoxia-crl/1");
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, onData);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
    char errbuf[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errbuf);

    const CURLcode rc = curl_easy_perform(c);
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &result.httpCode);
    if (rc == CURLE_OK) {
        result.status = FetchStatus::Ok;
        return result;
    }
    result.error = errbuf[0] ? errbuf : curl_easy_strerror(rc);
    result.body.clear();
    result.status =
        (sink.overflow || rc == CURLE_FILESIZE_EXCEEDED) ? FetchStatus::TooLarge : FetchStatus::NoAnswer;
    return result;
}

X509CrlPtr decodeCrl(const std::vector<unsigned char>& bytes) {
    if (bytes.empty() || bytes.size() > static_cast<size_t>(INT32_MAX))
        return nullptr;
    const unsigned char* p = bytes.data();
    X509CrlPtr crl(d2i_X509_CRL(nullptr, &p, static_cast<long>(bytes.size())));
    if (crl)
        return p == bytes.data() + bytes.size() ? std::move(crl) : nullptr;
    ERR_clear_error();
    BioPtr bio(BIO_new_mem_buf(bytes.data(), static_cast<int>(bytes.size())));
    if (!bio)
        return nullptr;
    X509CrlPtr pem(PEM_read_bio_X509_CRL(bio.get(), nullptr, nullptr, nullptr));
    if (!pem)
        ERR_clear_error(); // junk is an expected answer, not a fault to report later
    return pem;
}

} // namespace yx
