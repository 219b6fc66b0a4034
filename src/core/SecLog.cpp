#include "SecLog.h"

#include "DataPaths.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* levelName(SEC_LOG_TYPE level) {
    switch (level) {
    case SEC_LOG_ERROR:
        return "ERROR";
    case SEC_LOG_WARN:
        return "WARN";
    case SEC_LOG_INFO:
        return "INFO";
    case SEC_LOG_DEBUG:
        return "DEBUG";
    default:
        return "NONE";
    }
}

std::string currentLogPath() {
    return yx::paths::logDir() + "/yaoxia.log";
}

} // namespace

namespace {
// Size at which the log file is rotated.
constexpr off_t kMaxLogBytes = 1 << 20;
} // namespace

CSecLog::CSecLog() : m_level(SEC_LOG_ERROR) {}

const char* CSecLog::logFilePath() {
    // The data root can change between calls (tests), so the path is formed each time.
    thread_local std::string path;
    path = currentLogPath();
    return path.c_str();
}

void CSecLog::Log(SEC_LOG_TYPE level, int line, const char* file, const char* format, ...) {
    if (level == SEC_LOG_NONE || level > m_level || !format)
        return;
    const int savedErrno = errno; // logging must not disturb the caller's error state

    char stamp[80] = "";
    const time_t now = ::time(nullptr);
    struct tm local {};
    if (::localtime_r(&now, &local))
        std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                      local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);

    char message[2048];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    if (n < 0)
        message[0] = '\0';

    std::string text = std::string(stamp) + " [" + levelName(level) + "] " + (file ? file : "?") + ":" +
                       std::to_string(line) + " " + message;
    // One line per record: embedded line breaks would split it.
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    text += '\n';

    const std::string dir = yx::paths::logDir();
    if (yx::paths::ensureDir(dir)) {
        // O_APPEND and a single write() keep lines of several processes whole.
        const std::string path = dir + "/yaoxia.log";
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0) {
            // Every list load logs diagnostics per certificate, so the file is kept bounded: past
            // the limit it becomes yaoxia.log.1 (replacing the previous one) and a new file starts.
            struct stat st {};
            if (::fstat(fd, &st) == 0 && st.st_size >= kMaxLogBytes)
                ::rename(path.c_str(), (path + ".1").c_str());
            ssize_t w;
            do {
                w = ::write(fd, text.data(), text.size());
            } while (w < 0 && errno == EINTR);
            ::close(fd);
        }
    }
    errno = savedErrno;
}
