// The one way files are written: into an unnamed file in the target's folder, flushed to disk,
// then linked in over the target. A crash, a kill or a failure leaves the old file (or none) and
// never half of a new one. Where the file system cannot make unnamed files, a hidden temporary
// file beside the target stands in for it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yx {

using Bytes = std::vector<unsigned char>;

// Output that replaces `target` only when committed. A target that exists keeps its mode; a new one
// gets `mode` less the umask. Not committed (destroyed, discarded, or a failed commit): nothing of
// it stays behind. A failed open or commit notes the system's reason (SystemError.h).
class AtomicOutput {
public:
    AtomicOutput() = default;
    ~AtomicOutput();
    AtomicOutput(const AtomicOutput&) = delete;
    AtomicOutput& operator=(const AtomicOutput&) = delete;

    // Makes the pending file in the target's folder; false when that is impossible.
    bool open(const std::string& target, unsigned mode);
    int fd() const { return m_fd; }
    const std::string& target() const { return m_target; }
    // Another name in the same folder for the file to take at commit.
    void retarget(const std::string& target) { m_target = target; }
    // Syncs the data, puts the file in place of the target and syncs the folder.
    bool commit();
    void discard();
    // Whether the pending file has no name (false: the fallback temporary file).
    bool unnamed() const { return m_tempPath.empty(); }

private:
    std::string m_target;
    std::string m_tempPath; // the named temporary file of the fallback
    int m_fd = -1;
    unsigned m_mode = 0644;
};

// mode applies to a new file (0600 for private keys). Returns false and leaves the target alone on failure.
bool atomicWriteFile(const std::string& path, const void* data, size_t size, unsigned mode = 0644);
inline bool atomicWriteFile(const std::string& path, const Bytes& b, unsigned mode = 0644) {
    return atomicWriteFile(path, b.data(), b.size(), mode);
}
inline bool atomicWriteFile(const std::string& path, std::string_view s, unsigned mode = 0644) {
    return atomicWriteFile(path, s.data(), s.size(), mode);
}

// Whole file, or nullopt when it cannot be read. maxSize guards against reading huge files by mistake.
std::optional<Bytes> readWholeFile(const std::string& path, size_t maxSize = 64u << 20);

// Writes all of `data` to `fd` (retrying interrupted and short writes).
bool writeAll(int fd, const void* data, size_t size);

// Starts writing the given range of an open file to the disk without waiting for it, so that a
// long write's final flush finds little left to do. Does nothing where the system cannot.
void startWriteBack(int fd, uint64_t offset, uint64_t length);

bool fileExists(const std::string& path);
bool isRegularFile(const std::string& path);
std::optional<uint64_t> fileSize(const std::string& path);

// A temporary file created with O_EXCL and mode 0600 (no race with another user); deleted when the
// object ends unless release() was called.
class OwnerOnlyTempFile {
public:
    // prefix like "CERT": the file is <dir>/<prefix>XXXXXX.
    OwnerOnlyTempFile(const std::string& dir, const std::string& prefix);
    ~OwnerOnlyTempFile();
    OwnerOnlyTempFile(const OwnerOnlyTempFile&) = delete;
    OwnerOnlyTempFile& operator=(const OwnerOnlyTempFile&) = delete;

    bool ok() const { return m_fd >= 0; }
    const std::string& path() const { return m_path; }
    bool write(const void* data, size_t size); // writes all, then closes the descriptor
    void release() { m_keep = true; }

private:
    std::string m_path;
    int m_fd = -1;
    bool m_keep = false;
};

// Advisory exclusive lock on <path> (created if needed), held for the object's lifetime. Serialises
// read-modify-write cycles of several processes on the same store or registry file.
class FileLock {
public:
    explicit FileLock(const std::string& lockPath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool locked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace yx
