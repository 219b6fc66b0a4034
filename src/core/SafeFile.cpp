#include "SafeFile.h"

#include "SystemError.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <openssl/rand.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace yx {
namespace {

std::string dirOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The process's umask, read without changing it (umask() would, for every thread).
unsigned currentUmask() {
    if (std::FILE* f = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 022;
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "Umask: %o", &mask) == 1)
                break;
        std::fclose(f);
        return mask;
    }
    return 022;
}

// A name beside `path` that does not exist yet: <path>.tmpXXXXXX.
std::string freshTempName(const std::string& path) {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char random[6];
    if (RAND_bytes(random, sizeof random) != 1)
        for (auto& r : random)
            r = static_cast<unsigned char>(std::rand());
    std::string name = path + ".tmp";
    for (unsigned char r : random)
        name += kChars[r % (sizeof kChars - 1)];
    return name;
}

void syncFolder(const std::string& path) {
    const int dfd = ::open(dirOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

} // namespace

bool writeAll(int fd, const void* data, size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

AtomicOutput::~AtomicOutput() {
    discard();
}

bool AtomicOutput::open(const std::string& target, unsigned mode) {
    discard();
    m_target = target;
    m_mode = mode;
    m_fd = ::open(dirOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode & 07777);
    if (m_fd >= 0)
        return true;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        // The folder is missing or not writable: a named file would fail the same way.
        noteSystemError("创建", target, errno);
        return false;
    }
    std::string tmpl = target + ".tmpXXXXXX";
    m_fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (m_fd < 0) {
        noteSystemError("创建", target, errno);
        return false;
    }
    m_tempPath = tmpl;
    return true;
}

bool AtomicOutput::commit() {
    if (m_fd < 0)
        return false;
    struct stat old {};
    const unsigned mode =
        ::stat(m_target.c_str(), &old) == 0 ? (old.st_mode & 07777) : (m_mode & 07777 & ~currentUmask());
    errno = 0;
    bool ok = ::fchmod(m_fd, mode) == 0 && ::fsync(m_fd) == 0;
    if (ok && unnamed()) {
        // An unnamed file is linked under a fresh name, which then replaces the target in one step.
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
        for (int tries = 0; tries < 10 && m_tempPath.empty(); ++tries) {
            std::string name = freshTempName(m_target);
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                m_tempPath = name;
            else if (errno != EEXIST)
                break;
        }
        ok = !m_tempPath.empty();
    }
    int err = ok ? 0 : errno;
    ok = (::close(m_fd) == 0) && ok;
    if (!ok && err == 0)
        err = errno;
    m_fd = -1;
    if (ok && ::rename(m_tempPath.c_str(), m_target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        noteSystemError("写入", m_target, err != 0 ? err : EIO);
        discard();
        return false;
    }
    m_tempPath.clear();
    syncFolder(m_target);
    return true;
}

void AtomicOutput::discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

bool atomicWriteFile(const std::string& path, const void* data, size_t size, unsigned mode) {
    AtomicOutput out;
    if (!out.open(path, mode))
        return false;
    if (!writeAll(out.fd(), data, size)) {
        noteSystemError("写入", path, errno);
        return false;
    }
    return out.commit();
}

std::optional<Bytes> readWholeFile(const std::string& path, size_t maxSize) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) > maxSize) {
        ::close(fd);
        return std::nullopt;
    }
    Bytes out;
    out.reserve(static_cast<size_t>(st.st_size));
    unsigned char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        out.insert(out.end(), buf, buf + n);
        if (out.size() > maxSize) {
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    return out;
}

void startWriteBack(int fd, uint64_t offset, uint64_t length) {
#ifdef __linux__
    ::sync_file_range(fd, static_cast<off64_t>(offset), static_cast<off64_t>(length), SYNC_FILE_RANGE_WRITE);
#else
    (void)fd, (void)offset, (void)length;
#endif
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<uint64_t> fileSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

OwnerOnlyTempFile::OwnerOnlyTempFile(const std::string& dir, const std::string& prefix) {
    std::string tmpl = dir + "/" + prefix + "XXXXXX";
    m_fd = ::mkstemp(tmpl.data()); // O_EXCL, mode 0600
    if (m_fd >= 0)
        m_path = tmpl;
}

OwnerOnlyTempFile::~OwnerOnlyTempFile() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_path.empty() && !m_keep)
        ::unlink(m_path.c_str());
}

bool OwnerOnlyTempFile::write(const void* data, size_t size) {
    if (m_fd < 0)
        return false;
    const bool ok = writeAll(m_fd, data, size);
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    return ok && closed;
}

FileLock::FileLock(const std::string& lockPath) {
    m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return;
    while (::flock(m_fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
    }
}

FileLock::~FileLock() {
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
    }
}

} // namespace yx
