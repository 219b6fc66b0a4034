#include "RaSiteList.h"

#include "GbkText.h"
#include "Registry.h"
#include "Settings.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

constexpr size_t kMinKeyLength = 8;
// Names and values are read into 256-byte buffers: 255 bytes of text and the terminating NUL.
constexpr size_t kBufferSize = 256;

std::string serviceUrlKey() {
    return yx::settings::profileRoot() + "\\ServiceURL";
}

std::optional<std::string> readLimited(const std::string& key, const char* name) {
    auto v = yx::reg::readString(yx::reg::Hive::CurrentUser, key, name);
    if (!v || !CRaSiteList::Fits(*v))
        return std::nullopt;
    return v;
}

} // namespace

CRaSiteList::CRaSiteList() : m_prefix("ServiceURL\\") {
    Load();
}

void CRaSiteList::Load() {
    m_keys.clear();
    m_descriptions.clear();
    m_urls.clear();
    m_takenKeys.clear();
    m_defaultKey.clear();
    const std::string root = serviceUrlKey();
    if (!yx::reg::keyExists(yx::reg::Hive::CurrentUser, root))
        return;
    for (const auto& name : yx::reg::subkeys(yx::reg::Hive::CurrentUser, root)) {
        if (name.size() < kMinKeyLength || name.size() + 1 > kBufferSize)
            continue;
        m_takenKeys.push_back(name); // a site's key, whether its texts can be read or not
        const std::string key = root + "\\" + name;
        const auto url = readLimited(key, "Value");
        const auto description = readLimited(key, "Description");
        // A site without a readable "Value" or "Description" is left out as a whole, so the three
        // lists stay parallel and every index the configuration dialog shows is a complete site.
        // Its key stays taken: Add never gives it out, so Save cannot write over that site.
        if (!url || !description)
            continue;
        m_keys.push_back(name);
        m_urls.push_back(*url);
        m_descriptions.push_back(*description);
    }
    m_defaultKey = yx::settings::GetProfileString("ServiceURL", "Default", "");
}

void CRaSiteList::Add(const std::string& url, const std::string& description) {
    char key[16];
    for (int i = 0;; ++i) {
        std::snprintf(key, sizeof key, "%08d", i);
        if (!Contains(key) && std::find(m_takenKeys.begin(), m_takenKeys.end(), key) == m_takenKeys.end())
            break;
    }
    m_keys.emplace_back(key);
    m_urls.push_back(url);
    m_descriptions.push_back(description);
}

void CRaSiteList::Modify(int index, const std::string& url, const std::string& description) {
    if (index < 0 || index >= GetCount())
        return;
    m_urls[static_cast<size_t>(index)] = url;
    m_descriptions[static_cast<size_t>(index)] = description;
}

void CRaSiteList::Save() const {
    for (size_t i = 0; i < m_keys.size(); ++i) {
        yx::settings::WriteProfileString(m_prefix + m_keys[i], "Value", m_urls[i]);
        yx::settings::WriteProfileString(m_prefix + m_keys[i], "Description", m_descriptions[i]);
    }
}

std::string CRaSiteList::GetKey(int index) const {
    return index >= 0 && index < GetCount() ? m_keys[static_cast<size_t>(index)] : std::string();
}

std::string CRaSiteList::GetDescription(int index) const {
    return index >= 0 && index < GetCount() ? m_descriptions[static_cast<size_t>(index)] : std::string();
}

std::string CRaSiteList::GetURL(int index) const {
    return index >= 0 && index < GetCount() ? m_urls[static_cast<size_t>(index)] : std::string();
}

size_t CRaSiteList::StoredLength(const std::string& text) {
    // The registry holds these texts in the ANSI code page (GBK): a Chinese character takes two
    // bytes there, not the three of UTF-8. A character GBK lacks is stored as one "?".
    if (const auto gbk = yx::utf8ToGbk(text))
        return gbk->size();
    return yx::utf8ToGbkLossy(text).size();
}

bool CRaSiteList::Fits(const std::string& text) {
    return StoredLength(text) <= kMaxTextBytes;
}

bool CRaSiteList::Contains(const std::string& key) const {
    return std::find(m_keys.begin(), m_keys.end(), key) != m_keys.end();
}
