#include "PrefsJs.h"

#include "GbkText.h"

#include <cctype>
#include <cstdint>

namespace yx::nss {
namespace {

class Scanner {
public:
    explicit Scanner(std::string_view s) : m_s(s) {}

    bool atEnd() {
        skipBlanks();
        return m_pos >= m_s.size();
    }
    bool take(char c) {
        skipBlanks();
        if (m_pos < m_s.size() && m_s[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    std::string word() {
        skipBlanks();
        const size_t start = m_pos;
        while (m_pos < m_s.size() && (isalnum(static_cast<unsigned char>(m_s[m_pos])) || m_s[m_pos] == '_' ||
                                      m_s[m_pos] == '-' || m_s[m_pos] == '.'))
            ++m_pos;
        return std::string(m_s.substr(start, m_pos - start));
    }
    // A quoted string with JavaScript escapes; false when it is not one.
    bool string(std::string& out) {
        skipBlanks();
        if (m_pos >= m_s.size() || (m_s[m_pos] != '"' && m_s[m_pos] != '\''))
            return false;
        const char quote = m_s[m_pos++];
        out.clear();
        while (m_pos < m_s.size()) {
            char c = m_s[m_pos++];
            if (c == quote)
                return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos >= m_s.size())
                return false;
            c = m_s[m_pos++];
            switch (c) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'u':
                if (!unicodeEscape(out))
                    return false;
                break;
            default:
                out += c; // \" \\ \' and the rest stand for themselves
            }
        }
        return false;
    }
    size_t pos() const { return m_pos; }
    // Skips past the next ';' (or to the end): the rest of a statement that could not be read.
    void skipStatement() {
        while (m_pos < m_s.size() && m_s[m_pos++] != ';') {
        }
    }

private:
    void skipBlanks() {
        while (m_pos < m_s.size()) {
            const char c = m_s[m_pos];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++m_pos;
            } else if (m_s.substr(m_pos, 2) == "//" || c == '#') {
                while (m_pos < m_s.size() && m_s[m_pos] != '\n')
                    ++m_pos;
            } else if (m_s.substr(m_pos, 2) == "/*") {
                const size_t end = m_s.find("*/", m_pos + 2);
                m_pos = end == std::string_view::npos ? m_s.size() : end + 2;
            } else {
                return;
            }
        }
    }
    bool hex4(uint32_t& v) {
        if (m_pos + 4 > m_s.size())
            return false;
        v = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_s[m_pos++];
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= static_cast<uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                v |= static_cast<uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                v |= static_cast<uint32_t>(c - 'A' + 10);
            else
                return false;
        }
        return true;
    }
    bool unicodeEscape(std::string& out) {
        uint32_t cp = 0;
        if (!hex4(cp))
            return false;
        if (cp >= 0xD800 && cp < 0xDC00 && m_s.substr(m_pos, 2) == "\\u") {
            m_pos += 2;
            uint32_t low = 0;
            if (!hex4(low) || low < 0xDC00 || low > 0xDFFF)
                return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            return false; // a lone surrogate is no character
        }
        appendUtf8(out, cp);
        return true;
    }

    std::string_view m_s;
    size_t m_pos = 0;
};

} // namespace

Prefs parsePrefsJs(std::string_view text) {
    Prefs prefs;
    Scanner s(text);
    while (!s.atEnd()) {
        const size_t start = s.pos();
        const std::string fn = s.word();
        std::string name, value;
        const bool known = fn == "user_pref" || fn == "pref" || fn == "sticky_pref";
        bool ok = known && s.take('(') && s.string(name) && s.take(',');
        if (ok && !s.string(value)) {
            value = s.word(); // a number or true/false
            ok = !value.empty();
        }
        if (ok && s.take(')') && s.take(';')) {
            prefs.values[name] = value;
            prefs.spans[name] = {start, s.pos()};
            continue;
        }
        ++prefs.skipped;
        s.skipStatement();
    }
    return prefs;
}

std::vector<MailIdentity> mailIdentities(const Prefs& prefs) {
    const std::string prefix = "mail.identity.";
    std::map<std::string, MailIdentity> byId;
    for (const auto& [name, value] : prefs.values) {
        if (name.rfind(prefix, 0) != 0)
            continue;
        const size_t dot = name.find('.', prefix.size());
        if (dot == std::string::npos || dot == prefix.size())
            continue; // no id: "mail.identity..useremail" names no identity
        const std::string id = name.substr(prefix.size(), dot - prefix.size());
        const std::string key = name.substr(dot + 1);
        MailIdentity& m = byId[id];
        m.id = id;
        if (key == "useremail")
            m.email = value;
        else if (key == "fullName")
            m.fullName = value;
        else if (key == "signing_cert_name")
            m.signingCert = value;
        else if (key == "encryption_cert_name")
            m.encryptionCert = value;
    }
    std::vector<MailIdentity> out;
    for (auto& [id, m] : byId)
        if (!m.email.empty())
            out.push_back(std::move(m));
    return out;
}

} // namespace yx::nss
