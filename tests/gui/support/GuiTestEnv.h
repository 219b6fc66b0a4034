// Environment for GUI tests: a private data root (YAOXIA_HOME) and an owner-only runtime folder
// (XDG_RUNTIME_DIR) in a temporary folder, restored afterwards.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <optional>

namespace yxtest {

class ScopedGuiEnv {
public:
    ScopedGuiEnv();
    ~ScopedGuiEnv();
    ScopedGuiEnv(const ScopedGuiEnv&) = delete;
    ScopedGuiEnv& operator=(const ScopedGuiEnv&) = delete;

    QString root() const { return m_dir.path(); }
    QString home() const { return root() + QStringLiteral("/home"); }
    QString runtimeDir() const { return root() + QStringLiteral("/run"); }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
    std::optional<QByteArray> m_oldHome;
    std::optional<QByteArray> m_oldRuntime;
};

} // namespace yxtest
