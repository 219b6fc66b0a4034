#include "DlgBatchProgress.h"

#include "EncDialogIds.h"
#include "ShellHelpers.h"
#include "dialogs/DialogKit.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace yx;
using yx::kvx::BatchOutcome;
using yx::kvx::BatchState;

namespace {

QString stateText(const BatchOutcome& outcome) {
    switch (outcome.state) {
    case BatchState::Waiting:
        return QStringLiteral("等待");
    case BatchState::Running:
        return QStringLiteral("正在处理");
    case BatchState::Done:
        return QStringLiteral("完成");
    case BatchState::Failed:
        return QStringLiteral("失败：") + dlgkit::qstr(outcome.reason);
    case BatchState::Cancelled:
        return QStringLiteral("已取消");
    case BatchState::Skipped:
        return QStringLiteral("已跳过（目标文件已存在）");
    }
    return {};
}

} // namespace

CDlgBatchProgress::CDlgBatchProgress(int direction, std::vector<kvx::BatchFile> files, QWidget* parent)
    : QDialog(parent), m_direction(direction == Encrypt ? Encrypt : Decrypt), m_files(std::move(files)),
      m_outcomes(m_files.size()) {
    setObjectName(QString::number(res::IDD_BATCH_PROGRESS));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(m_direction == Encrypt ? QStringLiteral("正在加密，请稍候...")
                                          : QStringLiteral("正在解密，请稍候..."));

    m_list = dlgkit::withId(new QTreeWidget(this), res::IDC_BATCH_FILES);
    m_list->setHeaderLabels({QStringLiteral("文件"), QStringLiteral("状态")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setStretchLastSection(true);
    for (const kvx::BatchFile& file : m_files) {
        auto* item = new QTreeWidgetItem(m_list);
        const QString source = dlgkit::qstr(file.source);
        item->setText(0, source.mid(source.lastIndexOf(QLatin1Char('/')) + 1));
        item->setToolTip(0, source);
        item->setText(1, stateText(BatchOutcome{}));
    }
    const int em = fontMetrics().height();
    m_list->setColumnWidth(0, em * 16);
    m_list->setMinimumSize(em * 34, em * 10);
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));

    m_overall = dlgkit::withId(new QProgressBar(this), res::IDC_BATCH_OVERALL);
    m_overall->setRange(0, static_cast<int>(m_files.size()));
    m_overall->setValue(0);
    m_overall->setFormat(QStringLiteral("%v/%m"));
    m_summary = dlgkit::withId(new QLabel(this), res::IDC_BATCH_SUMMARY);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_button = dlgkit::withId(new QPushButton(QStringLiteral("取消"), this), res::IDCANCEL);
    // Enter must not cancel a job by accident: Esc or the button does; at the end Enter closes.
    m_button->setAutoDefault(false);
    connect(m_button, &QPushButton::clicked, this, &CDlgBatchProgress::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { openRow(m_list->indexOfTopLevelItem(item)); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_summary, 1);
    buttons->addWidget(m_button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_overall);
    layout->addLayout(buttons);
    dlgkit::fitDialog(this, 36);
}

CDlgBatchProgress::~CDlgBatchProgress() {
    // The job's threads post to this window: they are stopped and joined before it goes.
    if (m_batch)
        m_batch->cancel();
    m_batch.reset();
}

int CDlgBatchProgress::exec() {
    if (m_batch)
        return res::IDCANCEL; // one job per window
    m_batch = std::make_unique<kvx::FileBatch>(static_cast<kvx::BatchObserver*>(this), m_threads);
    const bool started = m_direction == Encrypt ? m_batch->startEncrypt(m_files, m_encrypt)
                                                : m_batch->startDecrypt(m_files, m_decrypt);
    if (!started) {
        m_batch.reset();
        return res::IDCANCEL;
    }
    if (m_files.empty())
        QMetaObject::invokeMethod(this, &CDlgBatchProgress::showSummary, Qt::QueuedConnection);
    QDialog::exec();
    return m_cancel ? res::IDCANCEL : res::IDOK;
}

void CDlgBatchProgress::fileStarted(size_t index) {
    QMetaObject::invokeMethod(
        this, [this, index] { showStatus(index, QStringLiteral("正在处理")); }, Qt::QueuedConnection);
}

void CDlgBatchProgress::fileProgress(size_t index, int percent) {
    QMetaObject::invokeMethod(
        this, [this, index, percent] { showStatus(index, QStringLiteral("正在处理 %1%").arg(percent)); },
        Qt::QueuedConnection);
}

void CDlgBatchProgress::fileEnded(size_t index, const BatchOutcome& outcome) {
    QMetaObject::invokeMethod(
        this, [this, index, outcome] { onFileEnded(index, outcome); }, Qt::QueuedConnection);
}

void CDlgBatchProgress::showStatus(size_t row, const QString& text) {
    // A percentage queued before the file's end never overwrites its outcome.
    if (row >= m_outcomes.size() || m_outcomes[row].state != BatchState::Waiting)
        return;
    m_list->topLevelItem(static_cast<int>(row))->setText(1, text);
    emit fileShown(static_cast<int>(row));
}

void CDlgBatchProgress::onFileEnded(size_t row, const BatchOutcome& outcome) {
    if (row >= m_outcomes.size())
        return;
    m_outcomes[row] = outcome;
    QTreeWidgetItem* item = m_list->topLevelItem(static_cast<int>(row));
    item->setText(1, stateText(outcome));
    item->setToolTip(1, item->text(1));
    m_overall->setValue(static_cast<int>(++m_ended));
    m_summary->setText(QStringLiteral("已处理 %1/%2").arg(m_ended).arg(m_files.size()));
    emit fileShown(static_cast<int>(row));
    if (m_ended == m_files.size())
        showSummary();
}

void CDlgBatchProgress::showSummary() {
    if (m_batch)
        m_batch->wait(); // every file has ended: the job's threads have nothing left to do
    int counts[6] = {};
    for (const BatchOutcome& outcome : m_outcomes)
        ++counts[static_cast<int>(outcome.state)];
    QString text = QStringLiteral("成功 %1 个，失败 %2 个")
                       .arg(counts[static_cast<int>(BatchState::Done)])
                       .arg(counts[static_cast<int>(BatchState::Failed)]);
    if (const int n = counts[static_cast<int>(BatchState::Cancelled)])
        text += QStringLiteral("，取消 %1 个").arg(n);
    if (const int n = counts[static_cast<int>(BatchState::Skipped)])
        text += QStringLiteral("，跳过 %1 个").arg(n);
    m_summary->setText(text + QStringLiteral("。"));
    setWindowTitle(m_direction == Encrypt ? QStringLiteral("文件加密") : QStringLiteral("文件解密"));
    m_button->setText(QStringLiteral("关闭"));
    m_button->setEnabled(true);
    m_button->setDefault(true);
    m_button->setFocus();
    emit jobFinished();
}

void CDlgBatchProgress::openRow(int row) {
    // A decrypted file opens with its application, as the single decryption offers.
    if (m_direction == Decrypt && jobEnded() && row >= 0 && static_cast<size_t>(row) < m_outcomes.size() &&
        m_outcomes[static_cast<size_t>(row)].state == BatchState::Done)
        OpenWithShell(this, m_outcomes[static_cast<size_t>(row)].written);
}

void CDlgBatchProgress::reject() {
    if (m_batch && !jobEnded()) {
        m_cancel = true;
        m_batch->cancel(); // the window stays until every file has ended
        m_button->setEnabled(false);
        m_summary->setText(QStringLiteral("正在取消..."));
        return;
    }
    done(m_cancel ? res::IDCANCEL : res::IDOK);
}

void CDlgBatchProgress::closeEvent(QCloseEvent* event) {
    if (m_batch && !jobEnded()) {
        reject();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
