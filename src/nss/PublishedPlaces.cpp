#include "PublishedPlaces.h"

#include "NssDatabases.h"

namespace yx::nss {

std::vector<std::string> publishedPlaces(const std::string& certId, const PublishLedger& ledger,
                                         const std::string& home) {
    std::vector<std::string> dirs;
    for (const LedgerEntry& e : ledger.entries())
        if (e.certId == certId)
            dirs.push_back(e.dir);
    std::vector<std::string> out;
    if (dirs.empty())
        return out; // the common case: no profile is looked for
    const FoundDatabases found = findNssDatabases(home);
    for (const std::string& dir : dirs) {
        std::string label = dir; // a folder no profile names any more
        for (const NssDatabase& db : found.databases)
            if (PublishLedger::canonicalDir(db.dir) == dir)
                label = db.label();
        out.push_back(label);
    }
    return out;
}

} // namespace yx::nss
