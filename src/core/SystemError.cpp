#include "SystemError.h"

#include "SecLog.h"

#include <cerrno>
#include <cstring>
#include <mutex>

namespace yx {

namespace {
// The engine runs on a worker thread and the tool reads the reason on its main thread.
std::mutex g_mutex;
std::string g_latest;
unsigned g_count = 0;
} // namespace

void noteSystemError(const char* action, const std::string& path, int err) {
    if (err == 0)
        return;
    const int saved = errno;
    char buffer[256] = "";
    // The GNU strerror_r returns its text, which may not be the buffer.
    const char* reason = strerror_r(err, buffer, sizeof buffer);
    const std::string text =
        std::string(action ? action : "") + "“" + path + "”失败：" + (reason ? reason : "");
    {
        std::lock_guard lock(g_mutex);
        g_latest = text;
        ++g_count;
    }
    CSecLog log;
    log.Log(SEC_LOG_ERROR, __LINE__, "SystemError", "%s (errno %d)", text.c_str(), err);
    errno = saved;
}

unsigned systemErrorsNoted() {
    std::lock_guard lock(g_mutex);
    return g_count;
}

std::string takeSystemError() {
    std::lock_guard lock(g_mutex);
    std::string out;
    out.swap(g_latest);
    return out;
}

} // namespace yx
