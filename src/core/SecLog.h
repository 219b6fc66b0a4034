// CSecLog: the certificate object's log channel. Lines go to the log file under the data root's
// log folder; nothing of it reaches the user.
#pragma once

enum SEC_LOG_TYPE {
    SEC_LOG_NONE = 0,
    SEC_LOG_ERROR = 1,
    SEC_LOG_WARN = 2,
    SEC_LOG_INFO = 3,
    SEC_LOG_DEBUG = 4
};

class CSecLog {
public:
    CSecLog();
    void SetLogLevel(SEC_LOG_TYPE level) { m_level = level; }
    SEC_LOG_TYPE GetLogLevel() const { return m_level; }
    // printf-style; written when level <= the channel's level.
    void Log(SEC_LOG_TYPE level, int line, const char* file, const char* format, ...)
        __attribute__((format(printf, 5, 6)));

    // Path of the log file (for tests and the about box).
    static const char* logFilePath();

private:
    SEC_LOG_TYPE m_level;
};
