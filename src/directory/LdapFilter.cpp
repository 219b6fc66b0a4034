#include "LdapFilter.h"

namespace yx::directory {
namespace {

// Length of the well-formed UTF-8 sequence starting at s[i] (shortest form, no surrogates,
// at most U+10FFFF); 0 when the bytes there are not one.
size_t utf8SequenceLength(std::string_view s, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    size_t len = 0;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        if (b0 == 0xE0)
            lo = 0xA0; // no overlong forms
        else if (b0 == 0xED)
            hi = 0x9F; // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        if (b0 == 0xF0)
            lo = 0x90;
        else if (b0 == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    if (byte(i + 1) < lo || byte(i + 1) > hi)
        return 0;
    for (size_t k = 2; k < len; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    return len;
}

void appendEscaped(std::string& out, unsigned char c) {
    static const char kHex[] = "0123456789abcdef";
    out += '\\';
    out += kHex[c >> 4];
    out += kHex[c & 0x0F];
}

} // namespace

std::string escapeFilterValue(std::string_view value) {
    std::string out;
    out.reserve(value.size() + 8);
    for (size_t i = 0; i < value.size();) {
        const auto c = static_cast<unsigned char>(value[i]);
        if (c < 0x80) {
            if (c == '*' || c == '(' || c == ')' || c == '\\' || c == 0)
                appendEscaped(out, c);
            else
                out += static_cast<char>(c);
            ++i;
            continue;
        }
        const size_t len = utf8SequenceLength(value, i);
        if (len == 0) {
            appendEscaped(out, c);
            ++i;
        } else {
            out.append(value.substr(i, len));
            i += len;
        }
    }
    return out;
}

std::string userFilter(std::string_view name, std::string_view email) {
    const std::string cn = name.empty() ? std::string() : "(cn=" + escapeFilterValue(name) + ")";
    const std::string mail = email.empty() ? std::string() : "(mail=" + escapeFilterValue(email) + ")";
    if (!cn.empty() && !mail.empty())
        return "(&" + cn + mail + ")";
    return cn.empty() ? mail : cn;
}

} // namespace yx::directory
