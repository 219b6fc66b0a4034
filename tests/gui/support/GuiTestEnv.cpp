#include "GuiTestEnv.h"

#include <QDir>
#include <QFile>

namespace yxtest {

namespace {

std::optional<QByteArray> getEnv(const char* name) {
    return qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
}

void restoreEnv(const char* name, const std::optional<QByteArray>& value) {
    if (value)
        qputenv(name, *value);
    else
        qunsetenv(name);
}

} // namespace

ScopedGuiEnv::ScopedGuiEnv()
    : m_dir(QDir::tempPath() + QStringLiteral("/yxgui-XXXXXX")), m_oldHome(getEnv("YAOXIA_HOME")),
      m_oldRuntime(getEnv("XDG_RUNTIME_DIR")) {
    QDir(root()).mkpath(QStringLiteral("home"));
    QDir(root()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("YAOXIA_HOME", QFile::encodeName(home()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir()));
}

ScopedGuiEnv::~ScopedGuiEnv() {
    restoreEnv("YAOXIA_HOME", m_oldHome);
    restoreEnv("XDG_RUNTIME_DIR", m_oldRuntime);
}

} // namespace yxtest
