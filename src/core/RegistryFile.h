// The text form of one registry hive, held in memory: a header line, then "[key\path]" sections
// with "\"name\"=\"value\"" lines (UTF-8, \\ \" \n \r \t and \xHH escaped). Key and value names
// compare without regard to ASCII letter case and keep the spelling they were first given.
//
// Lines this reader does not understand (other value types, damaged lines, whole sections behind a
// damaged "[" line) are kept verbatim at their place and written back unchanged, so a write never
// loses what a newer or hand-edited file holds.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yx::reg {

class RegistryFile {
public:
    static constexpr const char* kHeader = "Yaoxia Registry Version 1.00";

    // Never fails: what cannot be parsed is kept as verbatim lines.
    static RegistryFile parse(std::string_view text);
    std::string serialize() const;

    // Key paths use "\" as separator; empty components are ignored, "" is the hive root.
    std::optional<std::string> value(const std::string& keyPath, const std::string& name) const;
    bool hasKey(const std::string& keyPath) const;
    std::vector<std::string> subkeys(const std::string& keyPath) const;    // case-insensitive order
    std::vector<std::string> valueNames(const std::string& keyPath) const; // case-insensitive order

    // False when the path holds a component that cannot stand in a section line (control bytes).
    bool setValue(const std::string& keyPath, const std::string& name, const std::string& data);
    bool createKey(const std::string& keyPath);
    bool removeValue(const std::string& keyPath, const std::string& name);
    bool removeKey(const std::string& keyPath); // with its subkeys; the root cannot be removed

    // Same keys, values and kept lines, in the same order.
    bool operator==(const RegistryFile& other) const;

    // Helpers shared with the registry front end and the tests.
    static bool validKeyPath(const std::string& keyPath);
    static std::vector<std::string> splitPath(const std::string& keyPath);
    static int compareNames(std::string_view a, std::string_view b); // ASCII case folded
    static std::string escape(std::string_view text);

private:
    struct Line {
        bool verbatim = false; // kept as read; `text` holds the line
        std::string name;      // value name ("" for the default value "@")
        std::string text;      // value data, or the verbatim line
        bool operator==(const Line&) const = default;
    };
    struct Section {
        bool opaque = false;            // behind a damaged "[" line: every line verbatim
        std::vector<std::string> parts; // key path components as first spelled
        std::vector<Line> lines;
        bool operator==(const Section&) const = default;
    };

    Section* findKey(const std::vector<std::string>& parts);
    const Section* findKey(const std::vector<std::string>& parts) const;
    Section& keyFor(const std::vector<std::string>& parts);
    std::vector<std::string> spelled(const std::vector<std::string>& parts) const;

    std::vector<std::string> m_preamble; // verbatim lines before the first section
    std::vector<Section> m_sections;     // file order; new keys at the end
};

} // namespace yx::reg
