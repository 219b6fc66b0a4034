#include "PendingFile.h"

#include "SystemError.h"

#include <cerrno>
#include <unistd.h>

namespace yx::kvx {

PendingFile::~PendingFile() {
    discard();
}

bool PendingFile::create(const std::string& target, unsigned mode) {
    discard();
    if (!m_out.open(target, mode))
        return false;
    const int fd = ::dup(m_out.fd());
    m_file = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!m_file) {
        noteSystemError("创建", target, errno);
        if (fd >= 0)
            ::close(fd);
        m_out.discard();
        return false;
    }
    // Large writes; the buffer size does not grow with the file.
    std::setvbuf(m_file, nullptr, _IOFBF, 1u << 16);
    return true;
}

bool PendingFile::commit() {
    if (!m_file)
        return false;
    errno = 0;
    bool ok = std::fflush(m_file) == 0 && !std::ferror(m_file);
    int err = ok ? 0 : errno;
    ok = (std::fclose(m_file) == 0) && ok;
    if (!ok && err == 0)
        err = errno;
    m_file = nullptr;
    if (!ok) {
        // (A write error met earlier in the run left the stream's error flag and no errno here.)
        noteSystemError("写入", m_out.target(), err != 0 ? err : EIO);
        m_out.discard();
        return false;
    }
    ok = m_out.commit();
    m_out.discard();
    return ok;
}

void PendingFile::discard() {
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_out.discard();
}

} // namespace yx::kvx
