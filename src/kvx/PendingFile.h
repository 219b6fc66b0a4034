// The output of a run, as a stdio stream over the core's atomic output: it takes the target's
// place only when the run succeeds, so a failed, cancelled or killed run leaves an existing target
// as it was and no partial new one.
#pragma once

#include "SafeFile.h"

#include <cstdio>
#include <string>

namespace yx::kvx {

class PendingFile {
public:
    PendingFile() = default;
    ~PendingFile(); // discards what was not committed
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates the pending file in the target's folder; false when that is impossible.
    bool create(const std::string& target, unsigned mode);
    std::FILE* stream() const { return m_file; }
    // Flushes, syncs and puts the file in place of the target; false (target untouched) on any error.
    bool commit();
    // Closes and forgets the pending file.
    void discard();

private:
    AtomicOutput m_out;
    std::FILE* m_file = nullptr; // over a duplicate of m_out's descriptor
};

} // namespace yx::kvx
