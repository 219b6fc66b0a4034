// The one way files are written: into a temporary file in the target's folder, flushed to disk,
// then renamed over the target. A crash leaves either the old or the new file, never half of one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yx {

using Bytes = std::vector<unsigned char>;

// mode applies to the new file (0600 for private keys). Returns false and leaves the target alone on failure.
bool atomicWriteFile(const std::string& path, const void* data, size_t size, unsigned mode = 0644);
inline bool atomicWriteFile(const std::string& path, const Bytes& b, unsigned mode = 0644) {
    return atomicWriteFile(path, b.data(), b.size(), mode);
}
inline bool atomicWriteFile(const std::string& path, std::string_view s, unsigned mode = 0644) {
    return atomicWriteFile(path, s.data(), s.size(), mode);
}

// Whole file, or nullopt when it cannot be read. maxSize guards against reading huge files by mistake.
std::optional<Bytes> readWholeFile(const std::string& path, size_t maxSize = 64u << 20);

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
