#include "GbkText.h"

#include <cerrno>
#include <iconv.h>
#include <vector>

namespace yx {
namespace {

// GB18030 is a superset of GBK, so reading with it accepts every GBK file; writing uses GBK
// proper so Windows code page 936 readers understand every byte we produce.
std::optional<std::string> convert(const char* to, const char* from, std::string_view in, bool lossy) {
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string out;
    std::vector<char> buf(in.size() * 4 + 16);
    char* inp = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    bool failed = false;
    while (inLeft > 0) {
        char* outp = buf.data();
        size_t outLeft = buf.size();
        const size_t r = ::iconv(cd, &inp, &inLeft, &outp, &outLeft);
        out.append(buf.data(), static_cast<size_t>(outp - buf.data()));
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            if (!lossy) {
                failed = true;
                break;
            }
            // Skip one undecodable byte (or one UTF-8 sequence) and mark it.
            out.push_back('?');
            size_t skip = 1;
            if (std::string_view(from) == "UTF-8") {
                const auto c = static_cast<unsigned char>(*inp);
                skip = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
                if (skip > inLeft)
                    skip = inLeft;
            }
            inp += skip;
            inLeft -= skip;
        }
    }
    ::iconv_close(cd);
    if (failed)
        return std::nullopt;
    return out;
}

} // namespace

std::optional<std::string> utf8ToGbk(std::string_view utf8) {
    return convert("GBK", "UTF-8", utf8, false);
}
std::optional<std::string> gbkToUtf8(std::string_view gbk) {
    return convert("UTF-8", "GB18030", gbk, false);
}
void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string utf8ToGbkLossy(std::string_view utf8) {
    return convert("GBK", "UTF-8", utf8, true).value_or("");
}
std::string gbkToUtf8Lossy(std::string_view gbk) {
    return convert("UTF-8", "GB18030", gbk, true).value_or("");
}

} // namespace yx
