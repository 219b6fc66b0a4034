#include "ProfilesIni.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace yx::nss {
namespace {

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

bool hasControlChars(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

struct Section {
    std::string name;
    std::map<std::string, std::string> values; // a repeated key: the last one counts
};

std::vector<Section> readSections(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<Section> sections;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            sections.push_back({std::string(trim(line.substr(
                                    1, close == std::string_view::npos ? line.size() - 1 : close - 1))),
                                {}});
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos || sections.empty())
            continue; // no key, or a key before any section
        sections.back().values[std::string(trim(line.substr(0, eq)))] =
            std::string(trim(line.substr(eq + 1)));
    }
    return sections;
}

} // namespace

ParsedProfiles parseProfilesIni(std::string_view text) {
    ParsedProfiles out;
    for (const Section& s : readSections(text)) {
        if (!startsWithNoCase(s.name, "profile"))
            continue; // [General], [InstallXXXX], [BackgroundTasksProfiles] name no profile folder
        const auto path = s.values.find("Path");
        if (path == s.values.end() || path->second.empty()) {
            out.skipped.push_back("[" + s.name + "] 没有 Path");
            continue;
        }
        if (hasControlChars(path->second)) {
            out.skipped.push_back("[" + s.name + "] 的 Path 含控制字符");
            continue;
        }
        IniProfile p;
        p.path = path->second;
        std::replace(p.path.begin(), p.path.end(), '\\', '/');
        const auto rel = s.values.find("IsRelative");
        p.isRelative = rel != s.values.end() ? rel->second == "1" : p.path.front() != '/';
        if (!p.isRelative && p.path.front() != '/') {
            out.skipped.push_back("[" + s.name + "] 的 Path 不是绝对路径");
            continue;
        }
        const auto name = s.values.find("Name");
        if (name != s.values.end() && !name->second.empty() && !hasControlChars(name->second))
            p.name = name->second;
        else
            p.name = std::filesystem::path(p.path).filename().string();
        const bool seen = std::any_of(out.profiles.begin(), out.profiles.end(), [&](const IniProfile& q) {
            return q.path == p.path && q.isRelative == p.isRelative;
        });
        if (seen) {
            out.skipped.push_back("[" + s.name + "] 重复了另一个配置文件的 Path");
            continue;
        }
        out.profiles.push_back(std::move(p));
    }
    return out;
}

std::string profileDir(const std::string& iniDir, const IniProfile& profile) {
    std::filesystem::path p = profile.isRelative ? std::filesystem::path(iniDir) / profile.path
                                                 : std::filesystem::path(profile.path);
    std::string s = p.lexically_normal().string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

} // namespace yx::nss
