#include "UpdateController.h"

#include "DataPaths.h"
#include "MakerUpdateKey.h"
#include "ResourceIds.h"
#include "UpdateResult.h"
#include "UpdateWindow.h"
#include "UserPrompt.h"
#include "shell/MainFrame.h"

#include <QApplication>

namespace yx {
namespace {

bool updateWindowShown() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == QString::fromUtf8(UpdateWindow::kTitle))
            return true;
    return false;
}

// A manifest that fails its checks is worth a word even at start-up: someone may be tampering.
bool isRefusal(int result) {
    return result == update::kBadSignature || result == update::kBadManifest;
}

} // namespace

UpdateController::UpdateController(MainFrame& frame, UpdateSetup setup)
    : QObject(&frame), m_frame(frame), m_setup(std::move(setup)) {
    if (m_setup.downloadFolder.empty())
        m_setup.downloadFolder = paths::downloadDir();
}

UpdateController::~UpdateController() {
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
    delete m_window.data();
}

void UpdateController::checkOnRequest() {
    runCheck(true);
}

void UpdateController::checkAtStartUp() {
    update::Config config;
    update::Common common(m_setup.key, m_setup.options);
    common.ReadConfigFromReg(config, update::kUpdateRegistryKey);
    if (config.GetStartUpCheckNew() != "1")
        return;
    config.SetCurrentOperation("1");
    common.SaveConfigtoReg(config, update::kUpdateRegistryKey);
    runCheck(false);
}

void UpdateController::runCheck(bool onRequest) {
    if (checking()) {
        // The running check answers this request too, with the messages of a request.
        m_requestedMeanwhile = m_requestedMeanwhile || onRequest;
        return;
    }
    m_cancel = false;
    m_requestedMeanwhile = false;
    m_worker = std::thread([this, onRequest] {
        update::Common common(m_setup.key, m_setup.options);
        common.setCancelFlag(&m_cancel);
        const int result =
            common.Start(update::kUpdateRegistryKey, update::kMakerUpdateServer, update::kUpdatePath);
        QMetaObject::invokeMethod(
            this,
            [this, result, offered = common.offered(), error = common.lastError(), onRequest] {
                onCheckEnded(result, offered, error, onRequest);
            },
            Qt::QueuedConnection);
    });
}

void UpdateController::onCheckEnded(int result, const update::UpdateManifest& offered,
                                    const std::string& error, bool onRequest) {
    if (m_worker.joinable())
        m_worker.join(); // its last act was to post this call
    onRequest = onRequest || m_requestedMeanwhile;
    m_requestedMeanwhile = false;
    if (result == update::kUpdateAvailable) {
        offer(offered);
        // At start-up the main window steps back behind the update window.
        if (!onRequest && updateWindowShown()) {
            m_frame.showMinimized();
            m_window->raise();
            m_window->activateWindow();
        }
    } else if (result == update::kNoUpdate) {
        if (onRequest)
            showMessage(update::resultMessage(update::kNoUpdate), MsgIcon::Information, MsgButtons::Ok,
                        &m_frame);
    } else if (result != update::kCancelled && (onRequest || isRefusal(result))) {
        showMessage(error, MsgIcon::Error, MsgButtons::Ok, &m_frame);
    }
    emit checkEnded(result);
}

void UpdateController::offer(const update::UpdateManifest& manifest) {
    if (!m_window) {
        m_window = new UpdateWindow(manifest,
                                    m_setup.options.currentVersion.empty() ? update::programVersion()
                                                                           : m_setup.options.currentVersion,
                                    m_setup.downloadFolder, m_setup.options.connectTimeoutMs);
        m_window->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

UpdateController* installUpdateCommands(MainFrame& frame, UpdateSetup setup) {
    auto* controller = new UpdateController(frame, std::move(setup));
    frame.setCommandHandler(res::ID_CHECK_UPDATE, [controller] { controller->checkOnRequest(); });
    frame.setFirstShowAction([controller] { controller->checkAtStartUp(); });
    return controller;
}

} // namespace yx
