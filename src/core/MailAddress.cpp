#include "MailAddress.h"

#include <algorithm>

namespace yx {

namespace {

bool isAtext(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return std::string_view("!#$%&'*+-/=?^_`{|}~").find(static_cast<char>(c)) != std::string_view::npos;
}

// atext+ *("." atext+)
bool isDotAtom(std::string_view s) {
    if (s.empty() || s.front() == '.' || s.back() == '.')
        return false;
    for (size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == '.') {
            if (s[i - 1] == '.')
                return false;
        } else if (!isAtext(c)) {
            return false;
        }
    }
    return true;
}

// DQUOTE *(qtext / quoted-pair) DQUOTE, qtext being printable ASCII but "\" and DQUOTE.
bool isQuotedString(std::string_view s) {
    if (s.size() < 2 || s.front() != '"' || s.back() != '"')
        return false;
    for (size_t i = 1; i + 1 < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == '\\') {
            if (i + 2 >= s.size())
                return false; // the pair would take the closing quote
            const auto next = static_cast<unsigned char>(s[++i]);
            if (!(next == ' ' || next == '\t' || (next >= 33 && next <= 126)))
                return false;
        } else if (c == '"' || c < 32 || c > 126) {
            return false;
        }
    }
    return true;
}

// "[" *dtext "]", dtext being printable ASCII but "[", "]" and "\".
bool isDomainLiteral(std::string_view s) {
    if (s.size() < 2 || s.front() != '[' || s.back() != ']')
        return false;
    return std::all_of(s.begin() + 1, s.end() - 1, [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return (c >= 33 && c <= 90) || (c >= 94 && c <= 126);
    });
}

} // namespace

std::string mailAddressProblem(std::string_view address) {
    if (address.empty())
        return "地址为空";
    if (std::any_of(address.begin(), address.end(),
                    [](char c) { return static_cast<unsigned char>(c) > 126; }))
        return "含有非 ASCII 字符";
    // A quoted local part may hold "@" itself: the domain follows the last one.
    const size_t at = address.rfind('@');
    if (at == std::string_view::npos)
        return "缺少“@”";
    const std::string_view local = address.substr(0, at);
    const std::string_view domain = address.substr(at + 1);
    if (!isDotAtom(local) && !isQuotedString(local))
        return "“@”前的用户名不符合地址格式";
    if (!isDotAtom(domain) && !isDomainLiteral(domain))
        return "“@”后的域名不符合地址格式";
    return {};
}

std::string mailtoLink(const std::vector<std::string>& addresses) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string link = "mailto:";
    for (size_t i = 0; i < addresses.size(); ++i) {
        if (i > 0)
            link += ',';
        for (char ch : addresses[i]) {
            const auto c = static_cast<unsigned char>(ch);
            const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                               c == '-' || c == '.' || c == '_' || c == '~' || c == '@';
            if (plain) {
                link += ch;
            } else {
                link += '%';
                link += kHex[c >> 4];
                link += kHex[c & 0x0F];
            }
        }
    }
    return link;
}

} // namespace yx
