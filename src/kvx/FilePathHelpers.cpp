#include "FilePathHelpers.h"

#include <cctype>

namespace yx::kvx {
namespace {

// Position of the extension's dot, or npos.
size_t extDot(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return dot;
    const size_t sep = path.find_last_of("/\\");
    if (sep != std::string::npos && sep > dot)
        return std::string::npos;
    return dot;
}

bool isSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

} // namespace

std::string GetFileExt(const std::string& path) {
    const size_t dot = extDot(path);
    return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string StripFileExt(const std::string& path) {
    const size_t dot = extDot(path);
    return dot == std::string::npos ? path : path.substr(0, dot);
}

std::string EnsureFileExt(const std::string& path, const std::string& ext) {
    if (ext.empty())
        return path;
    if (path.size() >= ext.size()) {
        const std::string tail = path.substr(path.size() - ext.size());
        bool same = true;
        for (size_t i = 0; i < ext.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(tail[i])) ==
                   std::tolower(static_cast<unsigned char>(ext[i]));
        if (same)
            return path;
    }
    return path + ext;
}

std::string TrimPath(const std::string& path) {
    size_t b = 0, e = path.size();
    while (b < e && isSpace(path[b]))
        ++b;
    while (e > b && isSpace(path[e - 1]))
        --e;
    return path.substr(b, e - b);
}

} // namespace yx::kvx
