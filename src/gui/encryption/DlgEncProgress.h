// CDlgEncProgress: the modal progress dialog of one encryption or decryption run. The run goes on
// the engine's worker thread, started when the dialog is run; the dialog shows the percentage,
// lets the user cancel (the run stops between pieces) and closes itself when the worker reports
// the end. Worker messages are shown on the UI thread, owned by this dialog.
#pragma once

#include "EncryptionEngine.h"
#include "EngineWorker.h"

#include <QDialog>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>

class CCertList;
class QLabel;
class QProgressBar;
class QPushButton;

namespace yx {
class UiThreadPrompt;
}

class CDlgEncProgress : public QDialog, private yx::kvx::EngineObserver {
    Q_OBJECT
public:
    enum Direction { Decrypt = 0, Encrypt = 1 };

    // direction 1 encrypts, anything else decrypts; quiet suppresses "加密成功！".
    CDlgEncProgress(CCertList* certificates, int direction, int quiet, QWidget* parent = nullptr);
    ~CDlgEncProgress() override; // a run still going is cancelled and waited for

    void SetSourcePath(const QString& path) { m_source = path; }
    void SetTargetPath(const QString& path) { m_target = path; }
    void SetPassword(const QString& password) { m_password = password; }
    // Encryption: 1 deletes the source after a successful run.
    void SetDeleteSource(int flag) { m_deleteSource = flag; }
    // Decryption: where the payload starts, and a copy of the chosen recipient record.
    void SetDataOffset(uint64_t offset) { m_dataOffset = offset; }
    void SetRecord(const yx::kvx::RecordBytes& record) { m_record = record; }

    // Runs the dialog: IDOK (1) when the worker ended without a cancel, also after a failure
    // message; IDCANCEL (2) when the user cancelled or the worker could not be started.
    int DoModal() { return exec(); }
    int exec() override;

    // The run's result code (0, 201..216, 208 for a cancel); -1 before the run has ended.
    int runResult() const { return m_runResult; }
    bool cancelRequested() const { return m_cancel; }

signals:
    // Emitted on the UI thread after the percentage label changed (tests and screenshots).
    void progressShown(int percent);

public slots:
    void reject() override; // Cancel, Esc and the close box: ask the run to stop, wait for its end

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // EngineObserver, called on the worker thread.
    void progress(int percent) override;
    void finished(int result) override;

    bool startWorker();
    void applyProgress(int percent);
    void onRunEnded(int result);
    void requestCancel();

    int m_direction;
    std::unique_ptr<yx::kvx::EngineWorker> m_worker;
    QString m_source, m_target;
    CCertList* m_certificates;
    QString m_password;
    QProgressBar* m_bar = nullptr;
    bool m_cancel = false;
    bool m_finished = false;
    bool m_quiet;
    int m_deleteSource = 0;
    uint64_t m_dataOffset = 0;
    yx::kvx::RecordBytes m_record{};

    QLabel* m_percent = nullptr;
    QLabel* m_doneLabel = nullptr;
    QPushButton* m_cancelButton = nullptr;
    std::unique_ptr<yx::UiThreadPrompt> m_prompt; // installed while the worker runs
    bool m_started = false;
    int m_lastShown = 0;
    int m_runResult = -1;
};
