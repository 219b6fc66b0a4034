// The "在线升级" window: what the newer version brings and a button that downloads it. The
// download runs on a worker thread the window owns (joined before the window ends), with a
// progress bar and cancel; a verified download is saved to the download folder and opened.
#pragma once

#include "UpdateDownload.h"
#include "UpdateManifest.h"

#include <QDialog>

#include <atomic>
#include <string>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;

namespace yx {

class UpdateWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "在线升级";

    UpdateWindow(update::UpdateManifest manifest, const std::string& currentVersion, std::string folder,
                 long connectTimeoutMs = 10000, QWidget* parent = nullptr);
    ~UpdateWindow() override; // a running download is cancelled and waited for

    bool downloading() const { return m_worker.joinable(); }
    const update::UpdateManifest& manifest() const { return m_manifest; }

signals:
    // On the UI thread when a download ended, with its result code (0: saved and opened).
    void downloadEnded(int code);

public slots:
    void startDownload();
    void reject() override; // Esc and the close box: a running download is cancelled first

private:
    void showProgress(quint64 done, quint64 total);
    void onDownloadEnded(const update::DownloadOutcome& outcome);
    void setIdle(bool idle);

    update::UpdateManifest m_manifest;
    std::string m_folder;
    long m_connectTimeoutMs;
    QLabel* m_status = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_download = nullptr;
    QPushButton* m_close = nullptr;
    std::atomic<bool> m_cancel{false};
    bool m_closeWhenEnded = false;
    std::thread m_worker;
};

} // namespace yx
