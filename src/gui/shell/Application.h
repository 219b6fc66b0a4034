// Start-up of the desktop program: a command line runs one operation without a main window;
// otherwise the program runs once per user session (a later start brings the running one to the
// front) and shows the main frame.
#pragma once

#include <QStringList>

#include <memory>
#include <optional>

namespace yx {

class MainFrame;
class SingleInstance;

class ShellApp {
public:
    ShellApp();
    ~ShellApp();

    // Decides what this start does, given the arguments without the program name. Returns the
    // exit code when the process should end now, nullopt when the event loop is to run.
    std::optional<int> initInstance(const QStringList& args);

    bool commandLineMode() const { return m_commandLineMode; }
    MainFrame* frame() const { return m_frame.get(); }
    SingleInstance* instance() const { return m_instance.get(); }

private:
    bool m_commandLineMode = false;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<MainFrame> m_frame;
};

// Application name, title, profile root, and the settings every start makes.
void setUpApplication();

// The program's arguments (without its name) as path texts of their bytes (LocalPath.h).
QStringList commandLineArguments(int argc, char** argv);

// The whole program: QApplication, the Qt prompt, ShellApp, the event loop.
int runDesktopProgram(int argc, char** argv);

} // namespace yx
