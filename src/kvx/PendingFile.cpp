#include "PendingFile.h"

#include "SystemError.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace yx::kvx {

PendingFile::~PendingFile() {
    discard();
}

bool PendingFile::create(const std::string& target, unsigned mode) {
    discard();
    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    std::string tmpl = dir + "/.yaoxia-part-XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        noteSystemError("创建", target, errno);
        return false;
    }
    m_file = ::fdopen(fd, "wb");
    if (!m_file) {
        noteSystemError("创建", target, errno);
        ::close(fd);
        ::unlink(tmpl.c_str());
        return false;
    }
    // Large writes; the buffer size does not grow with the file.
    std::setvbuf(m_file, nullptr, _IOFBF, 1u << 16);
    m_target = target;
    m_temp = tmpl;
    m_mode = mode;
    return true;
}

bool PendingFile::commit() {
    if (!m_file)
        return false;
    errno = 0;
    bool ok = std::fflush(m_file) == 0 && !std::ferror(m_file);
    ok = ok && ::fchmod(::fileno(m_file), m_mode) == 0 && ::fsync(::fileno(m_file)) == 0;
    int err = ok ? 0 : errno;
    ok = (std::fclose(m_file) == 0) && ok;
    if (!ok && err == 0)
        err = errno;
    m_file = nullptr;
    if (ok && ::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        // (A write error met earlier in the run left the stream's error flag and no errno here.)
        noteSystemError("写入", m_target, err != 0 ? err : EIO);
        ::unlink(m_temp.c_str());
    }
    m_temp.clear();
    return ok;
}

void PendingFile::discard() {
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temp.empty()) {
        ::unlink(m_temp.c_str());
        m_temp.clear();
    }
}

} // namespace yx::kvx
