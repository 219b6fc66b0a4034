#include "UpdateWindow.h"

#include "ShellHelpers.h"
#include "UpdateResult.h"
#include "UserPrompt.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace yx {

UpdateWindow::UpdateWindow(update::UpdateManifest manifest, const std::string& currentVersion,
                           std::string folder, long connectTimeoutMs, QWidget* parent)
    : QDialog(parent), m_manifest(std::move(manifest)), m_folder(std::move(folder)),
      m_connectTimeoutMs(connectTimeoutMs) {
    setWindowTitle(QString::fromUtf8(kTitle));
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(
        QStringLiteral("钥匣有新版本 %1 可以下载（当前版本 %2）。")
            .arg(QString::fromStdString(m_manifest.version), QString::fromStdString(currentVersion)),
        this);
    heading->setObjectName(QStringLiteral("heading"));
    layout->addWidget(heading);
    layout->addWidget(new QLabel(QStringLiteral("更新说明："), this));
    auto* notes = new QPlainTextEdit(QString::fromStdString(m_manifest.notes), this);
    notes->setObjectName(QStringLiteral("notes"));
    notes->setReadOnly(true);
    notes->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // the lines wrap
    layout->addWidget(notes, 1);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progress"));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    layout->addWidget(m_bar);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    layout->addWidget(m_status);
    auto* buttons = new QDialogButtonBox(this);
    m_download = buttons->addButton(QStringLiteral("下载"), QDialogButtonBox::AcceptRole);
    m_download->setObjectName(QStringLiteral("download"));
    m_close = buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    m_close->setObjectName(QStringLiteral("close"));
    layout->addWidget(buttons);
    connect(m_download, &QPushButton::clicked, this, &UpdateWindow::startDownload);
    connect(m_close, &QPushButton::clicked, this, &UpdateWindow::reject);
    resize(460, 320);
}

UpdateWindow::~UpdateWindow() {
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
}

void UpdateWindow::setIdle(bool idle) {
    m_download->setEnabled(idle);
    m_close->setText(idle ? QStringLiteral("关闭") : QStringLiteral("取消"));
}

void UpdateWindow::startDownload() {
    if (downloading())
        return;
    m_cancel = false;
    setIdle(false);
    m_bar->setValue(0);
    m_status->setText(QStringLiteral("正在下载……"));
    m_worker = std::thread([this] {
        int lastPercent = -1;
        const uint64_t size = m_manifest.size;
        const auto outcome = update::downloadUpdate(
            m_manifest, m_folder, &m_cancel,
            [this, &lastPercent, size](uint64_t done, uint64_t) {
                // Only changes reach the UI thread, so a fast download does not flood it.
                const int percent = static_cast<int>(done * 100 / size);
                if (percent != lastPercent) {
                    lastPercent = percent;
                    QMetaObject::invokeMethod(
                        this, [this, done, size] { showProgress(done, size); }, Qt::QueuedConnection);
                }
            },
            m_connectTimeoutMs);
        QMetaObject::invokeMethod(
            this, [this, outcome] { onDownloadEnded(outcome); }, Qt::QueuedConnection);
    });
}

void UpdateWindow::showProgress(quint64 done, quint64 total) {
    if (total > 0)
        m_bar->setValue(static_cast<int>(std::min<quint64>(100, done * 100 / total)));
}

void UpdateWindow::onDownloadEnded(const update::DownloadOutcome& outcome) {
    if (m_worker.joinable())
        m_worker.join(); // its last act was to post this call
    setIdle(true);
    if (outcome.code == 0) {
        m_bar->setValue(100);
        m_download->setEnabled(false);
        m_status->setText(QStringLiteral("已下载到 %1").arg(QString::fromStdString(outcome.savedPath)));
        OpenWithShell(this, outcome.savedPath);
    } else if (outcome.code == update::kCancelled) {
        m_bar->setValue(0);
        m_status->setText(QString::fromStdString(update::resultMessage(outcome.code)));
    } else {
        m_bar->setValue(0);
        m_status->clear();
        std::string text = update::resultMessage(outcome.code);
        if (!outcome.error.empty())
            text += "\n" + outcome.error;
        showMessage(text, MsgIcon::Error, MsgButtons::Ok, this);
    }
    emit downloadEnded(outcome.code);
    if (m_closeWhenEnded) {
        m_closeWhenEnded = false;
        close();
    }
}

void UpdateWindow::reject() {
    if (downloading()) {
        // The cancel button cancels the download; Esc and the close box also close the window
        // once the worker has stopped.
        m_cancel = true;
        m_closeWhenEnded = sender() != m_close;
        return;
    }
    QDialog::reject();
}

} // namespace yx
