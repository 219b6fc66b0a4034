// The output of a run: written into a new temporary file beside the target and renamed over
// the target only when the run succeeds, so a failed or cancelled run leaves no target behind
// and never damages a file that was there before.
#pragma once

#include <cstdio>
#include <string>

namespace yx::kvx {

class PendingFile {
public:
    PendingFile() = default;
    ~PendingFile(); // discards what was not committed
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates the temporary file in the target's folder; false when that is impossible.
    bool create(const std::string& target, unsigned mode);
    std::FILE* stream() const { return m_file; }
    // Flushes, syncs and renames over the target; false (and nothing renamed) on any error.
    bool commit();
    // Closes and deletes the temporary file.
    void discard();

private:
    std::string m_target;
    std::string m_temp;
    std::FILE* m_file = nullptr;
    unsigned m_mode = 0644;
};

} // namespace yx::kvx
