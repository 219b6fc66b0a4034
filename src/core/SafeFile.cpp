#include "SafeFile.h"

#include "SystemError.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace yx {
namespace {

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

std::string dirOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace

bool atomicWriteFile(const std::string& path, const void* data, size_t size, unsigned mode) {
    std::string tmpl = path + ".tmpXXXXXX";
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        noteSystemError("创建", path, errno);
        return false;
    }
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, data, size) && ::fsync(fd) == 0;
    int err = ok ? 0 : errno;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(tmpl.c_str(), path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        noteSystemError("写入", path, err != 0 ? err : errno);
        ::unlink(tmpl.c_str());
        return false;
    }
    // Make the rename itself durable.
    int dfd = ::open(dirOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
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
