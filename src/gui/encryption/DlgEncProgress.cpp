#include "DlgEncProgress.h"

#include "EncDialogIds.h"
#include "ShellHelpers.h"
#include "UiThreadPrompt.h"
#include "dialogs/DialogKit.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace yx;
using namespace yx::dlgkit;

CDlgEncProgress::CDlgEncProgress(CCertList* certificates, int direction, int quiet, QWidget* parent)
    : QDialog(parent), m_direction(direction == Encrypt ? Encrypt : Decrypt), m_certificates(certificates),
      m_quiet(quiet != 0) {
    setObjectName(QString::number(res::IDD_ENC_PROGRESS));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    const bool encrypt = m_direction == Encrypt;
    setWindowTitle(encrypt ? QStringLiteral("正在加密，请稍候...") : QStringLiteral("正在解密，请稍候..."));

    m_doneLabel =
        withId(new QLabel(encrypt ? QStringLiteral("加密已完成：") : QStringLiteral("解密已完成："), this),
               res::IDC_ENC_DONE_LABEL);
    // Empty until the first non-zero percentage arrives.
    m_percent = withId(new QLabel(this), res::IDC_ENC_PERCENT);
    m_percent->setMinimumWidth(m_percent->fontMetrics().horizontalAdvance(QStringLiteral("100%")) + 4);
    m_bar = withId(new QProgressBar(this), res::IDC_ENC_PROGRESS_BAR);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_cancelButton = withId(new QPushButton(QStringLiteral("取消"), this), res::IDCANCEL);
    m_cancelButton->setDefault(true);
    connect(m_cancelButton, &QPushButton::clicked, this, &CDlgEncProgress::reject);

    auto* status = new QHBoxLayout;
    status->addWidget(m_doneLabel);
    status->addWidget(m_percent);
    status->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(status);
    layout->addWidget(m_bar);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addLayout(buttons);
    fitDialog(this, 24);
    setFixedHeight(sizeHint().height());
}

CDlgEncProgress::~CDlgEncProgress() {
    if (m_started && !m_finished) {
        // Only when the dialog goes away without its modal run having seen the end: stop the run
        // and keep serving its questions and progress until it has ended, so it never blocks on
        // a dialog that is gone.
        requestCancel();
        while (!m_finished)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    m_worker.reset();
}

int CDlgEncProgress::exec() {
    if (m_started)
        return res::IDCANCEL; // one run per dialog object
    m_prompt = std::make_unique<UiThreadPrompt>(this);
    if (!startWorker()) {
        m_prompt.reset();
        return res::IDCANCEL;
    }
    const int rc = QDialog::exec();
    m_prompt.reset();
    return rc == res::IDOK ? res::IDOK : res::IDCANCEL;
}

bool CDlgEncProgress::startWorker() {
    m_worker = std::make_unique<kvx::EngineWorker>(static_cast<kvx::EngineObserver&>(*this));
    bool ok = false;
    if (m_direction == Encrypt) {
        kvx::EncryptJob job;
        job.source = utf8(m_source);
        job.target = utf8(m_target);
        job.certificates = m_certificates;
        job.password = utf8(m_password);
        job.deleteSource = m_deleteSource == 1;
        job.quiet = m_quiet;
        ok = m_worker->startEncrypt(std::move(job));
    } else {
        kvx::DecryptJob job;
        job.source = utf8(m_source);
        job.target = utf8(m_target);
        job.password = utf8(m_password);
        job.dataOffset = m_dataOffset;
        job.record = m_record;
        job.askToOpen = false; // asked here, on the UI thread, once the run has ended
        ok = m_worker->startDecrypt(std::move(job));
    }
    m_started = ok;
    if (!ok)
        m_worker.reset();
    return ok;
}

void CDlgEncProgress::progress(int percent) {
    // The worker waits until the percentage is on screen, so the display never lags the run.
    QMetaObject::invokeMethod(
        this, [this, percent] { applyProgress(percent); }, Qt::BlockingQueuedConnection);
}

void CDlgEncProgress::finished(int result) {
    QMetaObject::invokeMethod(
        this, [this, result] { onRunEnded(result); }, Qt::QueuedConnection);
}

void CDlgEncProgress::applyProgress(int percent) {
    if (percent == m_lastShown)
        return;
    m_lastShown = percent;
    m_bar->setValue(percent);
    m_percent->setText(QStringLiteral("%1%").arg(percent));
    emit progressShown(percent);
}

void CDlgEncProgress::onRunEnded(int result) {
    if (m_worker)
        m_worker->wait(); // the thread has nothing left to do but end
    m_runResult = result;
    if (m_direction == Decrypt && result == kvx::kResultOk && !m_cancel) {
        applyProgress(100);
        if (say(this, "解密成功，是否打开解密文件？", MsgIcon::Information, MsgButtons::OkCancel) ==
            MsgAnswer::Ok)
            OpenWithShell(this, utf8(m_target));
    }
    m_finished = true;
    done(m_cancel ? res::IDCANCEL : res::IDOK);
}

void CDlgEncProgress::requestCancel() {
    m_cancel = true;
    if (m_worker)
        m_worker->cancel();
    m_cancelButton->setEnabled(false);
}

void CDlgEncProgress::reject() {
    if (m_started && !m_finished) {
        requestCancel(); // the dialog stays until the run has ended
        return;
    }
    if (!m_started)
        done(res::IDCANCEL);
}

void CDlgEncProgress::closeEvent(QCloseEvent* event) {
    if (m_started && !m_finished) {
        requestCancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
