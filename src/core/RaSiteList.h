// The list of registration-authority web sites under "ServiceURL\<8-digit key>".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CRaSiteList {
public:
    // A site's URL and description are read into 256-byte buffers: 255 bytes of text in the
    // ANSI code page (GBK), and the terminating NUL. A longer text makes the site unreadable.
    static constexpr size_t kMaxTextBytes = 255;
    static size_t StoredLength(const std::string& text); // GBK bytes of a UTF-8 text
    static bool Fits(const std::string& text);           // StoredLength(text) <= kMaxTextBytes

    CRaSiteList(); // sets the prefix "ServiceURL\" and loads
    void Load();
    void Add(const std::string& url, const std::string& description);
    void Modify(int index, const std::string& url, const std::string& description);
    void Save() const;

    int GetCount() const { return static_cast<int>(m_keys.size()); }
    std::string GetKey(int index) const;
    std::string GetDescription(int index) const;
    std::string GetURL(int index) const;
    const std::string& GetDefaultKey() const { return m_defaultKey; }
    bool Contains(const std::string& key) const;

private:
    std::string m_prefix;
    std::string m_defaultKey;
    std::vector<std::string> m_keys;
    std::vector<std::string> m_descriptions;
    std::vector<std::string> m_urls;
    // Every site key under "ServiceURL", also of sites left out because a text could not be read.
    std::vector<std::string> m_takenKeys;
};
