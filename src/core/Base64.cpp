#include "Base64.h"

#include <cctype>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Value of one Base64 character, -1 for anything else.
int sextet(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

bool isBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

} // namespace

int base64encoding(const unsigned char* data, int length, char* text, int* textLength) {
    if (!text || !textLength || length < 0 || (length > 0 && !data))
        return -1;
    const long long needed = 4LL * ((length + 2) / 3);
    if (*textLength <= needed) // room for the terminating NUL too
        return -1;
    char* out = text;
    int i = 0;
    for (; i + 2 < length; i += 3) {
        const unsigned v = (unsigned(data[i]) << 16) | (unsigned(data[i + 1]) << 8) | data[i + 2];
        *out++ = kAlphabet[(v >> 18) & 63];
        *out++ = kAlphabet[(v >> 12) & 63];
        *out++ = kAlphabet[(v >> 6) & 63];
        *out++ = kAlphabet[v & 63];
    }
    if (i < length) {
        unsigned v = unsigned(data[i]) << 16;
        if (i + 1 < length)
            v |= unsigned(data[i + 1]) << 8;
        *out++ = kAlphabet[(v >> 18) & 63];
        *out++ = kAlphabet[(v >> 12) & 63];
        *out++ = i + 1 < length ? kAlphabet[(v >> 6) & 63] : '=';
        *out++ = '=';
    }
    *out = '\0';
    *textLength = static_cast<int>(out - text);
    return 0;
}

int base64decoding(const char* text, unsigned char* bytes, int* length) {
    if (!text || !bytes || !length || *length < 0)
        return -1;
    const int capacity = *length;
    int written = 0;
    unsigned acc = 0;
    int quad = 0;    // characters of the current group of four
    int padding = 0; // '=' seen; only more '=' and blanks may follow
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (isBlank(*p))
            continue;
        if (*p == '=') {
            // Padding only in the last two places of a group.
            if (quad < 2 || ++padding > 2)
                return -1;
            ++quad;
            if (quad == 4)
                quad = 0;
            continue;
        }
        const int v = sextet(*p);
        if (v < 0 || padding > 0)
            return -1;
        acc = (acc << 6) | static_cast<unsigned>(v);
        if (++quad == 4) {
            if (written + 3 > capacity)
                return -1;
            bytes[written++] = static_cast<unsigned char>(acc >> 16);
            bytes[written++] = static_cast<unsigned char>(acc >> 8);
            bytes[written++] = static_cast<unsigned char>(acc);
            acc = 0;
            quad = 0;
        }
    }
    if (quad != 0)
        return -1; // incomplete group
    if (padding > 0) {
        // acc holds the characters of the last group before its padding.
        const int keep = 3 - padding;
        if (written + keep > capacity)
            return -1;
        if (padding == 1) {
            bytes[written++] = static_cast<unsigned char>(acc >> 10);
            bytes[written++] = static_cast<unsigned char>(acc >> 2);
        } else {
            bytes[written++] = static_cast<unsigned char>(acc >> 4);
        }
    }
    *length = written;
    return 0;
}

int BinToThumb(const char* bytes, int length, char* text) {
    if (!text)
        return -1;
    static const char hex[] = "0123456789abcdef";
    char* out = text;
    for (int i = 0; bytes && i < length; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (i > 0)
            *out++ = ' ';
        *out++ = hex[b >> 4];
        *out++ = hex[b & 15];
    }
    *out = '\0';
    return 0;
}

namespace yx {

std::string thumbText(const unsigned char* sha1, int length) {
    if (!sha1 || length <= 0)
        return std::string();
    std::string text(static_cast<size_t>(3 * length), '\0');
    BinToThumb(reinterpret_cast<const char*>(sha1), length, text.data());
    text.resize(static_cast<size_t>(3 * length - 1));
    return text;
}

std::string stripSpaces(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (!isBlank(static_cast<unsigned char>(c)))
            out += c;
    return out;
}

} // namespace yx
