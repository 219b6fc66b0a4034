// The list of registration-authority web sites under "ServiceURL\<8-digit key>".
#pragma once

#include <string>
#include <vector>

class CRaSiteList {
public:
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
};
