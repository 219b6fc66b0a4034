// What this program put into which NSS database, so that withdrawing removes exactly that and
// never a certificate (or key) the database held before. One line per publication in
// <data root>/nss/published: folder, certificate id (hex SHA-1 of its DER), whether the private
// key came with it. Read and rewritten under a lock, written atomically.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace yx::nss {

struct LedgerEntry {
    std::string dir;    // the database folder, canonical
    std::string certId; // lower-case hex SHA-1 of the certificate's DER
    bool keyAdded = false;
};

class PublishLedger {
public:
    PublishLedger(); // the data root's ledger
    explicit PublishLedger(std::string path);

    std::optional<LedgerEntry> find(const std::string& dir, const std::string& certId) const;
    bool add(const LedgerEntry& entry);
    bool remove(const std::string& dir, const std::string& certId);
    // Every publication recorded, in the order they were made.
    std::vector<LedgerEntry> entries() const { return read(); }

    static std::string canonicalDir(const std::string& dir);

private:
    std::vector<LedgerEntry> read() const;
    bool write(const std::vector<LedgerEntry>& entries) const;

    std::string m_path;
};

} // namespace yx::nss
