#include "PendingFile.h"

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
    bool ok = std::fflush(m_file) == 0 && !std::ferror(m_file);
    ok = (std::fclose(m_file) == 0) && ok;
    m_file = nullptr;
    ok = ok && m_out.commit();
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
