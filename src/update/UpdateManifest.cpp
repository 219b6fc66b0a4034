#include "UpdateManifest.h"

#include <curl/curl.h>

#include <memory>
#include <vector>

namespace yx::update {
namespace {

constexpr std::string_view kMarker = "YAOXIA-UPDATE 1";
constexpr uint64_t kMaxDownloadBytes = 2ull << 30;

std::nullopt_t refuse(std::string* error, const std::string& why) {
    if (error)
        *error = why;
    return std::nullopt;
}

bool isDigits(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

std::optional<std::vector<uint32_t>> versionParts(std::string_view v) {
    std::vector<uint32_t> parts;
    size_t start = 0;
    while (true) {
        const size_t dot = v.find('.', start);
        const std::string_view part = v.substr(start, dot == std::string_view::npos ? v.npos : dot - start);
        if (!isDigits(part) || part.size() > 9 || parts.size() == 4)
            return std::nullopt;
        parts.push_back(static_cast<uint32_t>(std::stoul(std::string(part))));
        if (dot == std::string_view::npos)
            return parts;
        start = dot + 1;
    }
}

bool isSha256Hex(std::string_view s) {
    if (s.size() != 64)
        return false;
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

struct CurlUrlDeleter {
    void operator()(CURLU* u) const noexcept { curl_url_cleanup(u); }
};

std::string urlPart(CURLU* u, CURLUPart part) {
    char* text = nullptr;
    if (curl_url_get(u, part, &text, 0) != CURLUE_OK || !text)
        return {};
    std::string out(text);
    curl_free(text);
    return out;
}

} // namespace

bool isAcceptedUrl(const std::string& url) {
    std::unique_ptr<CURLU, CurlUrlDeleter> u(curl_url());
    if (!u || curl_url_set(u.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        return false;
    const std::string scheme = lower(urlPart(u.get(), CURLUPART_SCHEME));
    const std::string host = lower(urlPart(u.get(), CURLUPART_HOST));
    if (host.empty() || !urlPart(u.get(), CURLUPART_USER).empty())
        return false;
    if (scheme == "https")
        return true;
    return scheme == "http" && (host == "127.0.0.1" || host == "localhost" || host == "[::1]");
}

std::optional<int> compareVersions(std::string_view a, std::string_view b) {
    auto pa = versionParts(a);
    auto pb = versionParts(b);
    if (!pa || !pb)
        return std::nullopt;
    pa->resize(4, 0);
    pb->resize(4, 0);
    for (size_t i = 0; i < 4; ++i)
        if ((*pa)[i] != (*pb)[i])
            return (*pa)[i] < (*pb)[i] ? -1 : 1;
    return 0;
}

std::optional<UpdateManifest> parseManifest(std::string_view text, std::string* error) {
    if (text.size() > kMaxManifestBytes)
        return refuse(error, "manifest larger than 64 KiB");
    UpdateManifest m;
    bool seenMarker = false, seenSize = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        std::string_view line = text.substr(pos, end == std::string_view::npos ? text.npos : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!seenMarker) {
            if (line != kMarker)
                return refuse(error, "first line is not \"YAOXIA-UPDATE 1\"");
            seenMarker = true;
            continue;
        }
        if (line.empty() || line.front() == '#')
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos || eq == 0)
            return refuse(error, "line without key=value: " + std::string(line.substr(0, 40)));
        const std::string_view key = line.substr(0, eq);
        const std::string_view value = line.substr(eq + 1);
        for (char c : value)
            if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f)
                return refuse(error, "control character in " + std::string(key));
        const bool repeated = (key == "version" && !m.version.empty()) || (key == "url" && !m.url.empty()) ||
                              (key == "size" && seenSize) || (key == "sha256" && !m.sha256.empty());
        if (repeated)
            return refuse(error, "key given twice: " + std::string(key));
        if (key == "version") {
            if (!versionParts(value))
                return refuse(error, "bad version");
            m.version = value;
        } else if (key == "url") {
            if (!isAcceptedUrl(std::string(value)))
                return refuse(error, "download address not accepted");
            m.url = value;
        } else if (key == "size") {
            if (!isDigits(value) || value.size() > 10)
                return refuse(error, "bad size");
            m.size = std::stoull(std::string(value));
            if (m.size == 0 || m.size > kMaxDownloadBytes)
                return refuse(error, "size out of range");
            seenSize = true;
        } else if (key == "sha256") {
            if (!isSha256Hex(value))
                return refuse(error, "sha256 is not 64 hexadecimal digits");
            m.sha256 = lower(value);
        } else if (key == "notes") {
            if (!m.notes.empty())
                m.notes += '\n';
            m.notes += value;
        }
    }
    if (!seenMarker)
        return refuse(error, "empty manifest");
    if (m.version.empty() || m.url.empty() || !seenSize || m.sha256.empty())
        return refuse(error, "version, url, size or sha256 missing");
    return m;
}

} // namespace yx::update
