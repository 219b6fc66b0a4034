#include "PublishLedger.h"

#include "DataPaths.h"
#include "SafeFile.h"

#include <algorithm>
#include <filesystem>

namespace yx::nss {

PublishLedger::PublishLedger() : m_path(paths::dataDir() + "/nss/published") {}

PublishLedger::PublishLedger(std::string path) : m_path(std::move(path)) {}

std::string PublishLedger::canonicalDir(const std::string& dir) {
    std::error_code ec;
    auto p = std::filesystem::weakly_canonical(dir, ec);
    return ec ? std::filesystem::path(dir).lexically_normal().string() : p.string();
}

std::vector<LedgerEntry> PublishLedger::read() const {
    std::vector<LedgerEntry> out;
    auto bytes = readWholeFile(m_path);
    if (!bytes)
        return out;
    std::string text(bytes->begin(), bytes->end());
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        const size_t t1 = line.find('\t');
        const size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
        if (t2 == std::string::npos)
            continue; // a damaged line names nothing
        out.push_back({line.substr(0, t1), line.substr(t1 + 1, t2 - t1 - 1), line.substr(t2 + 1) == "1"});
    }
    return out;
}

bool PublishLedger::write(const std::vector<LedgerEntry>& entries) const {
    std::string text;
    for (const LedgerEntry& e : entries)
        text += e.dir + "\t" + e.certId + "\t" + (e.keyAdded ? "1" : "0") + "\n";
    const std::string dir = std::filesystem::path(m_path).parent_path().string();
    return paths::ensureDir(dir) && atomicWriteFile(m_path, text, 0600);
}

std::optional<LedgerEntry> PublishLedger::find(const std::string& dir, const std::string& certId) const {
    const std::string key = canonicalDir(dir);
    for (const LedgerEntry& e : read())
        if (e.dir == key && e.certId == certId)
            return e;
    return std::nullopt;
}

bool PublishLedger::add(const LedgerEntry& entry) {
    const std::string dir = std::filesystem::path(m_path).parent_path().string();
    if (!paths::ensureDir(dir))
        return false;
    FileLock lock(m_path + ".lock");
    auto entries = read();
    LedgerEntry e = entry;
    e.dir = canonicalDir(e.dir);
    std::erase_if(entries, [&](const LedgerEntry& x) { return x.dir == e.dir && x.certId == e.certId; });
    entries.push_back(e);
    return write(entries);
}

bool PublishLedger::remove(const std::string& dir, const std::string& certId) {
    if (!fileExists(m_path))
        return true;
    FileLock lock(m_path + ".lock");
    auto entries = read();
    const std::string key = canonicalDir(dir);
    std::erase_if(entries, [&](const LedgerEntry& x) { return x.dir == key && x.certId == certId; });
    return write(entries);
}

} // namespace yx::nss
