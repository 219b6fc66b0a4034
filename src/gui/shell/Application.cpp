#include "Application.h"

#include "Artwork.h"
#include "CommandLine.h"
#include "FrameCommands.h"
#include "LocalPath.h"
#include "MainFrame.h"
#include "QtChineseChrome.h"
#include "ResourceIds.h"
#include "Settings.h"
#include "SingleInstance.h"
#include "StartTiming.h"
#include "UserPrompt.h"
#include "prompt/QtPrompt.h"

#include <QApplication>

namespace yx {

namespace {
const char* const kAppTitle = "岚川数字钥匣";
const char* const kRegistryKey = "KavexCorp\\";
} // namespace

ShellApp::ShellApp() = default;

ShellApp::~ShellApp() = default;

void setUpApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("yaoxia"));
    // No application display name: Qt would append it to every window title, and the captions
    // are exactly the program's own ("钥匣", "导入证书", ...).
    if (QCoreApplication* app = QCoreApplication::instance())
        installQtChineseChrome(*app);
    QGuiApplication::setWindowIcon(art::icon(res::IDI_MAINFRAME));
    // The window closes to the tray: only "退出" ends the program, even when a message box
    // shown from the tray was the last window open.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    settings::SetRegistryKey(kRegistryKey);
    settings::SetProfileName(kAppTitle);
}

std::optional<int> ShellApp::initInstance(const QStringList& args) {
    m_commandLineMode = false;
    if (!args.isEmpty()) {
        // One operation without a main window, and without the single-instance rule.
        m_commandLineMode = true;
        return runCommandLine(args);
    }
    m_instance = std::make_unique<SingleInstance>();
    if (!m_instance->claim())
        return 0; // the running instance has been asked to come to the front
    m_frame = std::make_unique<MainFrame>();
    installFrameCommands(*m_frame);
    QObject::connect(m_instance.get(), &SingleInstance::activationRequested, m_frame.get(),
                     &MainFrame::bringToFront);
    watchFirstPaint(m_frame.get());
    m_frame->show();
    return std::nullopt;
}

QStringList commandLineArguments(int argc, char** argv) {
    // The bytes as they are: a file name that is not UTF-8 reaches its operation intact (Qt's
    // own argument list would replace those bytes).
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << pathText(argv[i]);
    return args;
}

int runDesktopProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    setUpApplication();
    QtPrompt qtPrompt;
    setPrompt(&qtPrompt);
    int rc = 0;
    {
        ShellApp shell;
        const std::optional<int> early = shell.initInstance(commandLineArguments(argc, argv));
        rc = early ? *early : QApplication::exec();
    }
    setPrompt(nullptr);
    return rc;
}

} // namespace yx
