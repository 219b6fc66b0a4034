#include "PrefsJsWriter.h"

#include "PrefsJs.h"

#include <cstdio>

namespace yx::nss {

std::string quotedPref(const std::string& value) {
    std::string out = "\"";
    for (const char c : value) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", static_cast<unsigned>(c));
                out += esc;
            } else {
                out += c; // UTF-8 stays as it is
            }
        }
    }
    return out + "\"";
}

std::optional<std::string> withUserPref(std::string_view text, const std::string& name,
                                        const std::string& value) {
    const std::string statement = "user_pref(" + quotedPref(name) + ", " + quotedPref(value) + ");";
    Prefs prefs = parsePrefsJs(text);
    std::string out(text);
    if (const auto it = prefs.spans.find(name); it != prefs.spans.end()) {
        // The last statement for a name is the one that counts; earlier ones are overridden by it.
        out.replace(it->second.first, it->second.second - it->second.first, statement);
    } else {
        if (!out.empty() && out.back() != '\n')
            out += '\n';
        out += statement + "\n";
    }
    // The change must read back, with every other preference as it was.
    Prefs after = parsePrefsJs(out);
    prefs.values[name] = value;
    if (after.values != prefs.values)
        return std::nullopt;
    return out;
}

} // namespace yx::nss
