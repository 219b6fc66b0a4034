#include "ProfileLock.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

namespace yx::nss {
namespace {

// Another open file description (of any process, ours included) holding a lock on the file.
bool fileLocked(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    // Open-file-description locks see the classic locks of this process too; old kernels lack them.
    int rc = ::fcntl(fd, F_OFD_GETLK, &probe);
    if (rc != 0 && errno == EINVAL) {
        probe = {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        rc = ::fcntl(fd, F_GETLK, &probe);
    }
    ::close(fd);
    return rc == 0 && probe.l_type != F_UNLCK;
}

// The `lock` link of a process that still lives.
bool linkAlive(const std::string& path) {
    char target[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
    if (n <= 0)
        return false;
    target[n] = '\0';
    const char* plus = std::strrchr(target, '+');
    if (!plus)
        return false;
    char* end = nullptr;
    const long pid = std::strtol(plus + 1, &end, 10);
    if (pid <= 0 || end == plus + 1)
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

} // namespace

bool profileInUse(const std::string& dir) {
    return fileLocked(dir + "/.parentlock") || linkAlive(dir + "/lock");
}

} // namespace yx::nss
