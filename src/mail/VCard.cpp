#include "VCard.h"

#include "Base64.h"
#include "OpenSslHolders.h"

#include <openssl/x509.h>

#include <algorithm>
#include <cctype>

namespace yx::vcard {
namespace {

constexpr size_t kFoldWidth = 75;

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool startsNoCase(const std::string& s, const std::string& prefix) {
    return s.size() >= prefix.size() && upper(s.substr(0, prefix.size())) == upper(prefix);
}

// Splits one logical line into group, name, parameters and value (quoted parameter values may
// hold ":" and ";").
Property splitLogical(const std::string& logical) {
    Property p;
    size_t colon = std::string::npos;
    bool quoted = false;
    for (size_t i = 0; i < logical.size(); ++i) {
        if (logical[i] == '"')
            quoted = !quoted;
        else if (logical[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    const std::string head = logical.substr(0, colon);
    p.value = colon == std::string::npos ? std::string() : logical.substr(colon + 1);
    size_t from = 0;
    std::vector<std::string> parts;
    quoted = false;
    for (size_t i = 0; i <= head.size(); ++i) {
        if (i < head.size() && head[i] == '"')
            quoted = !quoted;
        if (i == head.size() || (head[i] == ';' && !quoted)) {
            parts.push_back(head.substr(from, i - from));
            from = i + 1;
        }
    }
    std::string name = parts.empty() ? std::string() : parts[0];
    if (const size_t dot = name.find('.'); dot != std::string::npos) {
        p.group = name.substr(0, dot);
        name = name.substr(dot + 1);
    }
    p.name = upper(name);
    p.params.assign(parts.begin() + (parts.empty() ? 0 : 1), parts.end());
    return p;
}

bool isX509(const std::vector<unsigned char>& der) {
    const unsigned char* p = der.data();
    X509* x = d2i_X509(nullptr, &p, static_cast<long>(der.size()));
    const bool ok = x && p == der.data() + der.size();
    X509_free(x);
    return ok;
}

std::vector<unsigned char> decodeKey(const Property& p) {
    std::string text = p.value;
    if (startsNoCase(text, "data:")) { // 4.0: a data URI
        const size_t comma = text.find(',');
        if (comma == std::string::npos || text.substr(0, comma).find("base64") == std::string::npos)
            return {};
        text = text.substr(comma + 1);
    }
    std::vector<unsigned char> der(text.size());
    int length = static_cast<int>(der.size());
    if (text.empty() || base64decoding(text.c_str(), der.data(), &length) != 0)
        return {};
    der.resize(static_cast<size_t>(length));
    return der;
}

std::string encode(const std::vector<unsigned char>& der) {
    std::string text(der.size() * 4 / 3 + 8, '\0');
    int length = static_cast<int>(text.size());
    if (base64encoding(der.data(), static_cast<int>(der.size()), text.data(), &length) != 0)
        return {};
    text.resize(static_cast<size_t>(length));
    return text;
}

Property keyProperty(const std::string& version, const std::vector<unsigned char>& der) {
    // Appended, not "KEY..." + text: that operator+ makes GCC 12 warn falsely (GCC bug 105651).
    std::string logical = version == "4.0"   ? "KEY:data:application/pkix-cert;base64,"
                          : version == "2.1" ? "KEY;X509;ENCODING=BASE64:"
                                             : "KEY;TYPE=X509;ENCODING=b:";
    logical += encode(der);
    Property p = splitLogical(logical);
    for (size_t at = 0; at < logical.size(); at += kFoldWidth)
        p.lines.push_back(std::string(at ? " " : "").append(logical, at, kFoldWidth));
    if (version == "2.1")
        p.lines.emplace_back(); // a Base64 value ends with an empty line there
    return p;
}

} // namespace

File parse(const std::string& text) {
    File file;
    if (text.find("\r\n") == std::string::npos && text.find('\n') != std::string::npos)
        file.lineEnd = "\n";
    std::vector<std::string> lines;
    for (size_t from = 0; from < text.size();) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(from, end - from);
        if (end < text.size() && !line.empty() && line.back() == '\r') // a CR of the line end
            line.pop_back();
        lines.push_back(std::move(line));
        from = end + 1;
    }
    Card* card = nullptr;
    for (size_t i = 0; i < lines.size();) {
        // A logical line and its continuation lines (beginning with a blank); a 2.1 Base64 value
        // runs on to the empty line behind it.
        std::vector<std::string> physical{lines[i]};
        std::string logical = lines[i++];
        while (i < lines.size() && !lines[i].empty() && (lines[i][0] == ' ' || lines[i][0] == '\t')) {
            logical += lines[i].substr(1);
            physical.push_back(lines[i++]);
        }
        Property p = splitLogical(logical);
        if (!card) {
            if (p.name == "BEGIN" && upper(p.value) == "VCARD") {
                file.cards.emplace_back();
                card = &file.cards.back();
            } else {
                // Kept as written and where written: an unfolded line could read back as part of
                // its neighbour.
                auto& keep = file.cards.empty() ? file.outside : file.cards.back().after;
                keep.insert(keep.end(), physical.begin(), physical.end());
                continue;
            }
        }
        const bool base64in21 = std::any_of(p.params.begin(), p.params.end(), [](const std::string& s) {
            return upper(s) == "ENCODING=BASE64" || upper(s) == "BASE64";
        });
        if (base64in21)
            while (i < lines.size() && !lines[i].empty() && lines[i].find(':') == std::string::npos) {
                p.value += lines[i];
                physical.push_back(lines[i++]);
            }
        if (base64in21 && i < lines.size() && lines[i].empty())
            physical.push_back(lines[i++]);
        p.lines = std::move(physical);
        if (p.name == "VERSION")
            card->version = p.value;
        const bool end = p.name == "END";
        card->properties.push_back(std::move(p));
        if (end)
            card = nullptr;
    }
    return file;
}

std::string render(const File& file) {
    std::string out;
    for (const std::string& line : file.outside)
        out += line + file.lineEnd;
    for (const Card& card : file.cards) {
        for (const Property& p : card.properties)
            for (const std::string& line : p.lines)
                out += line + file.lineEnd;
        for (const std::string& line : card.after)
            out += line + file.lineEnd;
    }
    return out;
}

std::string unescape(const std::string& value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char c = value[++i];
            out += c == 'n' || c == 'N' ? '\n' : c;
        } else {
            out += value[i];
        }
    }
    return out;
}

std::string displayName(const Card& card) {
    for (const Property& p : card.properties)
        if (p.name == "FN" && !p.value.empty())
            return unescape(p.value);
    for (const Property& p : card.properties)
        if (p.name == "N") {
            // Family name, then given name, as Chinese names are written.
            const size_t semi = p.value.find(';');
            const std::string family = unescape(p.value.substr(0, semi));
            std::string given = semi == std::string::npos ? std::string() : p.value.substr(semi + 1);
            given = unescape(given.substr(0, given.find(';')));
            return family + given;
        }
    return {};
}

std::string preferredEmail(const Card& card) {
    const Property* first = nullptr;
    for (const Property& p : card.properties) {
        if (p.name != "EMAIL")
            continue;
        for (const std::string& param : p.params)
            if (upper(param).find("PREF") != std::string::npos)
                return unescape(p.value);
        if (!first)
            first = &p;
    }
    return first ? unescape(first->value) : std::string();
}

std::vector<std::vector<unsigned char>> certificateKeys(const Card& card) {
    std::vector<std::vector<unsigned char>> ders;
    for (const Property& p : card.properties)
        if (p.name == "KEY")
            if (auto der = decodeKey(p); !der.empty() && isX509(der))
                ders.push_back(std::move(der));
    return ders;
}

void setCertificateKeys(Card& card, const std::vector<std::vector<unsigned char>>& ders) {
    std::vector<Property> kept;
    size_t insertAt = std::string::npos;
    for (Property& p : card.properties) {
        if (p.name == "KEY") {
            const auto der = decodeKey(p);
            if (!der.empty() && isX509(der)) {
                if (insertAt == std::string::npos)
                    insertAt = kept.size();
                continue;
            }
        }
        kept.push_back(std::move(p));
    }
    if (insertAt == std::string::npos) {
        insertAt = kept.size();
        if (!kept.empty() && kept.back().name == "END")
            --insertAt;
    }
    std::vector<Property> keys;
    for (const auto& der : ders)
        keys.push_back(keyProperty(card.version, der));
    kept.insert(kept.begin() + static_cast<long>(insertAt), std::make_move_iterator(keys.begin()),
                std::make_move_iterator(keys.end()));
    card.properties = std::move(kept);
}

} // namespace yx::vcard
