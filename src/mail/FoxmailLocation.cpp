#include "FoxmailLocation.h"

#include "GbkText.h"
#include "HexText.h"
#include "Registry.h"
#include "SafeFile.h"

#include <dirent.h>
#include <strings.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

namespace {

constexpr const char* kFoxmailKey = "Software\\Aerofox\\Foxmail";
constexpr const char* kVersionKey = "V3.1";
constexpr const char* kPathValue = "FoxmailPath";
constexpr size_t kProgramNameLength = 12; // "\" and an 11-character file name

bool equalNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

// A quoted string of Wine's registry files from `pos` (just behind the opening quote): "\\",
// "\"", "\n" and "\x" with up to four hexadecimal digits (a UTF-16 unit) are its escapes.
std::string unquote(const std::string& s, size_t& pos) {
    std::string out;
    unsigned high = 0; // a pending high surrogate
    while (pos < s.size() && s[pos] != '"') {
        char c = s[pos++];
        if (c != '\\' || pos >= s.size()) {
            out += c;
            continue;
        }
        c = s[pos++];
        if (c == 'x') {
            unsigned unit = 0;
            int digits = 0;
            for (int d; digits < 4 && pos < s.size() && (d = yx::hexDigit(s[pos])) >= 0; ++digits, ++pos)
                unit = unit * 16 + static_cast<unsigned>(d);
            if (unit >= 0xD800 && unit < 0xDC00) {
                high = unit;
            } else if (unit >= 0xDC00 && unit < 0xE000 && high) {
                yx::appendUtf8(out, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
                high = 0;
            } else {
                yx::appendUtf8(out, unit);
            }
        } else {
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c == '0' ? '\0' : c;
        }
    }
    ++pos; // the closing quote
    return out;
}

// One key of a Wine registry file: its path with single backslashes and its string values.
struct WineKey {
    std::string path;
    std::vector<std::pair<std::string, std::string>> values;
};

std::vector<WineKey> readWineRegistry(const std::string& file) {
    std::vector<WineKey> keys;
    const auto bytes = yx::readWholeFile(file);
    if (!bytes)
        return keys;
    std::istringstream in(std::string(bytes->begin(), bytes->end()));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '[') {
            const size_t end = line.rfind(']');
            if (end == std::string::npos || end < 1)
                continue;
            const std::string raw = line.substr(1, end - 1);
            WineKey key;
            for (size_t i = 0; i < raw.size(); ++i) {
                key.path += raw[i];
                if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == '\\')
                    ++i;
            }
            keys.push_back(std::move(key));
        } else if (!keys.empty() && !line.empty() && line[0] == '"') {
            size_t pos = 1;
            std::string name = unquote(line, pos);
            if (pos < line.size() && line[pos] == '=' && line.compare(pos + 1, 4, "str(") == 0)
                pos = line.find(':', pos); // str(2): expandable, str(7): multi-string
            if (pos + 1 < line.size() && (line[pos] == '=' || line[pos] == ':') && line[pos + 1] == '"') {
                pos += 2;
                keys.back().values.emplace_back(std::move(name), unquote(line, pos));
            }
        }
    }
    return keys;
}

// The subkeys of `parent` with the "FoxmailPath" value of each (empty when it has none).
struct FoundKey {
    bool exists = false;
    std::vector<std::pair<std::string, std::optional<std::string>>> subkeys;
};

FoundKey fromOwnRegistry() {
    FoundKey found;
    using yx::reg::Hive;
    if (!yx::reg::keyExists(Hive::CurrentUser, kFoxmailKey))
        return found;
    found.exists = true;
    for (const std::string& name : yx::reg::subkeys(Hive::CurrentUser, kFoxmailKey))
        found.subkeys.emplace_back(
            name, yx::reg::readString(Hive::CurrentUser, std::string(kFoxmailKey) + "\\" + name, kPathValue));
    return found;
}

FoundKey fromWine() {
    FoundKey found;
    const std::string parent = kFoxmailKey;
    for (const WineKey& key : readWineRegistry(yx::mail::winePrefix() + "/user.reg")) {
        if (key.path.size() < parent.size() || !equalNoCase(key.path.substr(0, parent.size()), parent))
            continue;
        if (key.path.size() == parent.size()) {
            found.exists = true;
            continue;
        }
        if (key.path[parent.size()] != '\\')
            continue;
        found.exists = true;
        const std::string rest = key.path.substr(parent.size() + 1);
        if (rest.find('\\') != std::string::npos)
            continue; // a deeper key: its parent subkey is listed on its own
        std::optional<std::string> value;
        for (const auto& [name, text] : key.values)
            if (equalNoCase(name, kPathValue))
                value = text;
        found.subkeys.emplace_back(rest, value);
    }
    return found;
}

} // namespace

int FindFoxmailPath(std::string& folder) {
    FoundKey key = fromOwnRegistry();
    if (!key.exists)
        key = fromWine();
    if (!key.exists)
        return -1;
    for (const auto& [name, value] : key.subkeys) {
        if (name != kVersionKey || !value)
            continue;
        // The cut counts ANSI characters, as Foxmail's program path is stored.
        const std::string ansi = yx::utf8ToGbkLossy(*value);
        folder = ansi.size() > kProgramNameLength
                     ? yx::gbkToUtf8Lossy(ansi.substr(0, ansi.size() - kProgramNameLength))
                     : std::string();
    }
    return 0;
}

namespace yx::mail {

std::string winePrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix)
        return prefix;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.wine";
}

std::string findEntryNoCase(const std::string& dir, const std::string& name) {
    if (fileExists(dir + "/" + name))
        return name;
    std::string found = name;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (equalNoCase(e->d_name, name)) {
                found = e->d_name;
                break;
            }
        ::closedir(d);
    }
    return found;
}

std::string toLocalPath(const std::string& windowsPath) {
    if (!windowsPath.empty() && windowsPath[0] == '/')
        return windowsPath;
    if (windowsPath.size() < 2 || windowsPath[1] != ':' ||
        !std::isalpha(static_cast<unsigned char>(windowsPath[0])))
        return {};
    const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
    const std::string prefix = winePrefix();
    std::string path = prefix + "/dosdevices/" + drive + ":";
    if (!fileExists(path)) {
        if (drive != 'c')
            return {};
        path = prefix + "/drive_c";
    }
    size_t pos = 2;
    while (pos < windowsPath.size()) {
        size_t end = windowsPath.find_first_of("\\/", pos);
        if (end == std::string::npos)
            end = windowsPath.size();
        const std::string part = windowsPath.substr(pos, end - pos);
        if (!part.empty() && part != ".") {
            // Appended piece by piece: "/" + text makes GCC 12 warn falsely (-Wrestrict, GCC bug 105651).
            const std::string entry = findEntryNoCase(path, part);
            path += '/';
            path += entry;
        }
        pos = end + 1;
    }
    return path;
}

} // namespace yx::mail
