#include "FoxmailText.h"

#include <cctype>

namespace {
constexpr size_t kMaxValue = 1023;
}

namespace yx::mail {

std::string hashText(std::string_view thumbprint) {
    std::string h;
    for (char c : thumbprint)
        if (c != ' ')
            h += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (h.size() > 4)
        for (size_t at = 4; at < h.size(); at += 5)
            h.insert(at, 1, ' ');
    return h;
}

} // namespace yx::mail

std::string GetKeyValue(std::string_view text, const char* key) {
    const std::string_view k = key ? key : "";
    if (k.empty())
        return {};
    for (size_t at = text.find(k); at != std::string_view::npos; at = text.find(k, at + 1)) {
        if (at < 2 || text[at - 2] != '\r' || text[at - 1] != '\n')
            continue; // only a key at the start of a line that follows another counts
        const size_t begin = at + k.size() + 1; // the "=" is skipped unexamined
        if (begin > text.size())
            return {};
        const size_t end = text.find("\r\n", begin);
        if (end == std::string_view::npos)
            return {};
        return std::string(text.substr(begin, std::min(end - begin, kMaxValue)));
    }
    return {};
}
