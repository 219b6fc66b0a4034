// Environment for GUI tests: a private data root (YAOXIA_HOME) and an owner-only runtime folder
// (XDG_RUNTIME_DIR) in a temporary folder, restored afterwards; screenshots for people to look at.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <optional>

class QWidget;

namespace yxtest {

class ScopedGuiEnv {
public:
    ScopedGuiEnv();
    ~ScopedGuiEnv();
    ScopedGuiEnv(const ScopedGuiEnv&) = delete;
    ScopedGuiEnv& operator=(const ScopedGuiEnv&) = delete;

    QString root() const { return m_dir.path(); }
    QString home() const;
    QString runtimeDir() const;
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
    std::optional<QByteArray> m_oldHome;
    std::optional<QByteArray> m_oldRuntime;
};

// Writes the widget's picture to $YAOXIA_SCREENSHOT_DIR/<name>.png (nothing when the variable is
// not set). Returns the file written, empty when none.
QString saveScreenshot(QWidget* widget, const QString& name);

} // namespace yxtest
