// CDlgBatchProgress: the progress window of several files encrypted or decrypted as one job.
// One row per file shows its outcome as it changes (waiting, running with its percentage, done,
// failed with the reason, cancelled, skipped); the files run in parallel on the job's threads.
// Cancel stops the running files between pieces (they leave no target) and starts no more;
// what was written stays. At the end the window stays open with a summary line until closed.
#pragma once

#include "FileBatch.h"

#include <QDialog>

#include <memory>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

class CDlgBatchProgress : public QDialog, private yx::kvx::BatchObserver {
    Q_OBJECT
public:
    enum Direction { Decrypt = 0, Encrypt = 1 };

    CDlgBatchProgress(int direction, std::vector<yx::kvx::BatchFile> files, QWidget* parent = nullptr);
    ~CDlgBatchProgress() override; // a job still running is cancelled and waited for

    // What the files share; the certificate list must outlive the window.
    void SetEncryptOptions(yx::kvx::EncryptBatchOptions options) { m_encrypt = std::move(options); }
    void SetDecryptOptions(yx::kvx::DecryptBatchOptions options) { m_decrypt = std::move(options); }
    void SetThreads(unsigned threads) { m_threads = threads; } // 0 = one per core

    // Starts the job and runs the window: IDOK when the job ended without a cancel (some files
    // may have failed), IDCANCEL when it was cancelled or could not be started.
    int exec() override;

    const std::vector<yx::kvx::BatchOutcome>& outcomes() const { return m_outcomes; }
    bool jobEnded() const { return m_ended == m_files.size(); }

signals:
    void fileShown(int row); // a row's outcome changed on screen (tests and screenshots)
    void jobFinished();      // every file has ended and the summary is shown

public slots:
    void reject() override; // while running: cancel; afterwards: close

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // BatchObserver, called on the job's threads: each posts to the UI thread.
    void fileStarted(size_t index) override;
    void fileProgress(size_t index, int percent) override;
    void fileEnded(size_t index, const yx::kvx::BatchOutcome& outcome) override;

    void showStatus(size_t row, const QString& text);
    void onFileEnded(size_t row, const yx::kvx::BatchOutcome& outcome);
    void showSummary();
    void openRow(int row);

    int m_direction;
    std::vector<yx::kvx::BatchFile> m_files;
    std::vector<yx::kvx::BatchOutcome> m_outcomes;
    yx::kvx::EncryptBatchOptions m_encrypt;
    yx::kvx::DecryptBatchOptions m_decrypt;
    unsigned m_threads = 0;
    std::unique_ptr<yx::kvx::FileBatch> m_batch;
    size_t m_ended = 0;
    bool m_cancel = false;

    QTreeWidget* m_list = nullptr;
    QProgressBar* m_overall = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_button = nullptr;
};
