// The online update in the desktop program: the check on request (menu and tray command) and
// the start-up check, each on a worker thread so the window never waits on the network; a
// newer version opens the "在线升级" window. Owned by the main frame.
#pragma once

#include "UpdateCommon.h"
#include "UpdateWindow.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <string>
#include <thread>

namespace yx {

class MainFrame;

struct UpdateSetup {
    update::PublicKey key = update::makerPublicKey();
    update::UpdateOptions options;
    std::string downloadFolder; // empty: the user's download folder
};

class UpdateController : public QObject {
    Q_OBJECT
public:
    UpdateController(MainFrame& frame, UpdateSetup setup);
    ~UpdateController() override; // a running check is cancelled and waited for; the window closes

    // The menu command: "没有可用的更新！" when there is none, the failure's message otherwise.
    void checkOnRequest();
    // The frame's first show: a check only when "StartUpCheckNew" is "1"; no message when there
    // is no update. When the update window opens, the frame minimises behind it.
    void checkAtStartUp();

    bool checking() const { return m_worker.joinable(); }
    UpdateWindow* window() const { return m_window; }

signals:
    // On the UI thread after a check ended and its window or message was shown.
    void checkEnded(int result);

private:
    void runCheck(bool onRequest);
    void onCheckEnded(int result, const update::UpdateManifest& offered, const std::string& error,
                      bool onRequest);
    void offer(const update::UpdateManifest& manifest);

    MainFrame& m_frame;
    UpdateSetup m_setup;
    std::atomic<bool> m_cancel{false};
    std::thread m_worker;
    QPointer<UpdateWindow> m_window;   // top-level, so the frame can minimise behind it
    bool m_requestedMeanwhile = false; // the menu command came while the start-up check ran
};

// Creates the controller as the frame's child and puts it behind command 32810 and the frame's
// first show.
UpdateController* installUpdateCommands(MainFrame& frame, UpdateSetup setup = {});

} // namespace yx
