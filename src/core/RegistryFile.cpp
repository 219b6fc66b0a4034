#include "RegistryFile.h"

#include "HexText.h"

#include <algorithm>

namespace yx::reg {
namespace {

bool isBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlankChar(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlankChar(s.back()))
        s.remove_suffix(1);
    return s;
}

char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    return RegistryFile::compareNames(a, b) == 0;
}

bool samePrefix(const std::vector<std::string>& path, const std::vector<std::string>& prefix) {
    if (path.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (!sameName(path[i], prefix[i]))
            return false;
    }
    return true;
}

// Reads a quoted text starting at s[pos] == '"'; pos ends behind the closing quote.
bool readQuoted(std::string_view s, size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"')
        return false;
    ++pos;
    out.clear();
    while (pos < s.size()) {
        const char c = s[pos++];
        if (c == '"')
            return true;
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (pos >= s.size())
            return false;
        const char e = s[pos++];
        switch (e) {
        case '\\':
        case '"':
            out.push_back(e);
            break;
        case 'n':
            out.push_back('\n');
            break;
        case 'r':
            out.push_back('\r');
            break;
        case 't':
            out.push_back('\t');
            break;
        case 'x': {
            if (pos + 2 > s.size())
                return false;
            const int hi = hexDigit(s[pos]), lo = hexDigit(s[pos + 1]);
            if (hi < 0 || lo < 0)
                return false;
            out.push_back(static_cast<char>(hi * 16 + lo));
            pos += 2;
            break;
        }
        default:
            return false;
        }
    }
    return false; // no closing quote
}

void skipBlanks(std::string_view s, size_t& pos) {
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t'))
        ++pos;
}

// "name"="data" or @="data"; anything else (other value types included) is not ours.
bool parseValueLine(std::string_view line, std::string& name, std::string& data) {
    const std::string_view t = trim(line);
    size_t pos = 0;
    if (t.empty())
        return false;
    if (t[0] == '@') {
        name.clear();
        pos = 1;
    } else if (!readQuoted(t, pos, name)) {
        return false;
    }
    skipBlanks(t, pos);
    if (pos >= t.size() || t[pos] != '=')
        return false;
    ++pos;
    skipBlanks(t, pos);
    if (!readQuoted(t, pos, data))
        return false;
    skipBlanks(t, pos);
    return pos == t.size();
}

std::string joinPath(const std::vector<std::string>& parts) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i)
            out.push_back('\\');
        out += parts[i];
    }
    return out;
}

void sortNames(std::vector<std::string>& names) {
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return RegistryFile::compareNames(a, b) < 0;
    });
}

} // namespace

int RegistryFile::compareNames(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(upperAscii(a[i]));
        const auto y = static_cast<unsigned char>(upperAscii(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string RegistryFile::escape(std::string_view text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() + 2);
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out.push_back('\\');
            out.push_back(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20 || u == 0x7f) {
            out += "\\x";
            out.push_back(hex[u >> 4]);
            out.push_back(hex[u & 15]);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::vector<std::string> RegistryFile::splitPath(const std::string& keyPath) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= keyPath.size()) {
        size_t end = keyPath.find('\\', start);
        if (end == std::string::npos)
            end = keyPath.size();
        if (end > start)
            parts.push_back(keyPath.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool RegistryFile::validKeyPath(const std::string& keyPath) {
    // Section lines are not escaped, so key names hold no control bytes.
    return std::none_of(keyPath.begin(), keyPath.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

RegistryFile RegistryFile::parse(std::string_view text) {
    RegistryFile f;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    bool first = true;
    int current = -1; // index into m_sections; -1 = before the first section
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::string_view t = trim(line);
        if (t.empty())
            continue;
        if (first) {
            first = false;
            if (t == kHeader || t == "Windows Registry Editor Version 5.00" || t == "REGEDIT4")
                continue;
        }
        if (t.front() == '[') {
            const std::string content =
                t.size() >= 2 && t.back() == ']' ? std::string(t.substr(1, t.size() - 2)) : "";
            if (t.size() >= 2 && t.back() == ']' && validKeyPath(content)) {
                const auto parts = splitPath(content);
                const Section* existing = f.findKey(parts);
                if (existing) {
                    current = static_cast<int>(existing - f.m_sections.data());
                } else {
                    f.m_sections.push_back(Section{false, parts, {}});
                    current = static_cast<int>(f.m_sections.size()) - 1;
                }
            } else {
                // A damaged section line: keep it and everything up to the next good one untouched.
                f.m_sections.push_back(Section{true, {}, {Line{true, "", std::string(line)}}});
                current = static_cast<int>(f.m_sections.size()) - 1;
            }
            continue;
        }
        if (current < 0) {
            f.m_preamble.emplace_back(line);
            continue;
        }
        Section& s = f.m_sections[static_cast<size_t>(current)];
        std::string name, data;
        if (s.opaque || !parseValueLine(line, name, data)) {
            s.lines.push_back(Line{true, "", std::string(line)});
            continue;
        }
        // A value given twice: the later one wins, at the place of the first.
        auto it = std::find_if(s.lines.begin(), s.lines.end(),
                               [&](const Line& l) { return !l.verbatim && sameName(l.name, name); });
        if (it != s.lines.end())
            it->text = std::move(data);
        else
            s.lines.push_back(Line{false, std::move(name), std::move(data)});
    }
    return f;
}

std::string RegistryFile::serialize() const {
    std::string out = kHeader;
    out.push_back('\n');
    for (const auto& l : m_preamble) {
        out += l;
        out.push_back('\n');
    }
    for (const auto& s : m_sections) {
        out.push_back('\n');
        if (!s.opaque) {
            // Appended piece by piece: "[" + text makes GCC 12 warn falsely (-Wrestrict, GCC bug 105651).
            out += '[';
            out += joinPath(s.parts);
            out += "]\n";
        }
        for (const auto& l : s.lines) {
            if (l.verbatim) {
                out += l.text;
            } else {
                if (l.name.empty()) {
                    out += '@';
                } else {
                    out += '"';
                    out += escape(l.name);
                    out += '"';
                }
                out += "=\"";
                out += escape(l.text);
                out += '"';
            }
            out.push_back('\n');
        }
    }
    return out;
}

RegistryFile::Section* RegistryFile::findKey(const std::vector<std::string>& parts) {
    for (auto& s : m_sections) {
        if (!s.opaque && s.parts.size() == parts.size() && samePrefix(s.parts, parts))
            return &s;
    }
    return nullptr;
}

const RegistryFile::Section* RegistryFile::findKey(const std::vector<std::string>& parts) const {
    return const_cast<RegistryFile*>(this)->findKey(parts);
}

std::vector<std::string> RegistryFile::spelled(const std::vector<std::string>& parts) const {
    std::vector<std::string> out = parts;
    for (size_t i = 0; i < out.size(); ++i) {
        const std::vector<std::string> prefix(out.begin(), out.begin() + static_cast<long>(i) + 1);
        for (const auto& s : m_sections) {
            if (!s.opaque && samePrefix(s.parts, prefix)) {
                out[i] = s.parts[i];
                break;
            }
        }
    }
    return out;
}

RegistryFile::Section& RegistryFile::keyFor(const std::vector<std::string>& parts) {
    if (Section* s = findKey(parts))
        return *s;
    m_sections.push_back(Section{false, spelled(parts), {}});
    return m_sections.back();
}

std::optional<std::string> RegistryFile::value(const std::string& keyPath, const std::string& name) const {
    const Section* s = findKey(splitPath(keyPath));
    if (!s)
        return std::nullopt;
    for (const auto& l : s->lines) {
        if (!l.verbatim && sameName(l.name, name))
            return l.text;
    }
    return std::nullopt;
}

bool RegistryFile::hasKey(const std::string& keyPath) const {
    const auto parts = splitPath(keyPath);
    if (parts.empty())
        return true;
    return std::any_of(m_sections.begin(), m_sections.end(),
                       [&](const Section& s) { return !s.opaque && samePrefix(s.parts, parts); });
}

std::vector<std::string> RegistryFile::subkeys(const std::string& keyPath) const {
    const auto parts = splitPath(keyPath);
    std::vector<std::string> names;
    for (const auto& s : m_sections) {
        if (s.opaque || s.parts.size() <= parts.size() || !samePrefix(s.parts, parts))
            continue;
        const std::string& child = s.parts[parts.size()];
        if (std::none_of(names.begin(), names.end(),
                         [&](const std::string& n) { return sameName(n, child); }))
            names.push_back(child);
    }
    sortNames(names);
    return names;
}

std::vector<std::string> RegistryFile::valueNames(const std::string& keyPath) const {
    std::vector<std::string> names;
    if (const Section* s = findKey(splitPath(keyPath))) {
        for (const auto& l : s->lines) {
            if (!l.verbatim)
                names.push_back(l.name);
        }
    }
    sortNames(names);
    return names;
}

bool RegistryFile::setValue(const std::string& keyPath, const std::string& name, const std::string& data) {
    if (!validKeyPath(keyPath))
        return false;
    Section& s = keyFor(splitPath(keyPath));
    for (auto& l : s.lines) {
        if (!l.verbatim && sameName(l.name, name)) {
            l.text = data;
            return true;
        }
    }
    s.lines.push_back(Line{false, name, data});
    return true;
}

bool RegistryFile::createKey(const std::string& keyPath) {
    if (!validKeyPath(keyPath))
        return false;
    if (!hasKey(keyPath))
        keyFor(splitPath(keyPath));
    return true;
}

bool RegistryFile::removeValue(const std::string& keyPath, const std::string& name) {
    Section* s = findKey(splitPath(keyPath));
    if (!s)
        return false;
    auto it = std::find_if(s->lines.begin(), s->lines.end(),
                           [&](const Line& l) { return !l.verbatim && sameName(l.name, name); });
    if (it == s->lines.end())
        return false;
    s->lines.erase(it);
    return true;
}

bool RegistryFile::removeKey(const std::string& keyPath) {
    const auto parts = splitPath(keyPath);
    if (parts.empty() || !hasKey(keyPath))
        return false;
    std::erase_if(m_sections, [&](const Section& s) { return !s.opaque && samePrefix(s.parts, parts); });
    return true;
}

bool RegistryFile::operator==(const RegistryFile& other) const {
    return m_preamble == other.m_preamble && m_sections == other.m_sections;
}

} // namespace yx::reg
