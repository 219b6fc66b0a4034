#include "CertListChecker.h"

#include "DigitalCertificate.h"
#include "Revocation.h"

#include <QEventLoop>
#include <QKeyEvent>
#include <QProgressDialog>
#include <QTimer>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace yx {

namespace {

int g_progressDelayMs = 300;
constexpr int kPollMs = 25;

// What the worker hands over: a result is complete once `done` counts past it.
struct Results {
    explicit Results(size_t n) : status(n) {}
    std::vector<std::string> status;
    std::atomic<int> done{0};
};

// The checks cannot be cut short; the progress dialog ignores Esc and its close box.
class HoldOpen : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            return true;
        return QObject::eventFilter(watched, event);
    }
};

QString progressText(int done, int total) {
    return QStringLiteral("正在检查证书的吊销状态，请稍候……\n已检查 %1 / %2 张证书").arg(done).arg(total);
}

QString statusText(const std::string& status) {
    return QString::fromUtf8(status.data(), static_cast<qsizetype>(status.size()));
}

} // namespace

int CertListChecker::progressDelayMs() {
    return g_progressDelayMs;
}

void CertListChecker::setProgressDelayMs(int ms) {
    g_progressDelayMs = std::max(0, ms);
}

namespace {

// The cache alone answers at once: no thread, no dialog.
void checkFromCache(const std::vector<CertContextPtr>& certs, const CertListChecker::ResultFn& onResult) {
    RevocationSession session;
    for (size_t i = 0; i < certs.size(); ++i) {
        CDigitalCertificate cert(certs[i]);
        std::string status;
        cert.CRLCheck(status, false);
        onResult(static_cast<int>(i), statusText(status));
    }
}

// A modal progress box without cancel or close box; it stays until the checks end.
void setUpProgress(QProgressDialog& dialog, int delivered, int total) {
    dialog.setObjectName(QLatin1String(CertListChecker::kProgressName));
    dialog.setWindowTitle(QStringLiteral("钥匣"));
    dialog.setLabelText(progressText(delivered, total));
    dialog.setCancelButton(nullptr);
    dialog.setRange(0, total);
    dialog.setValue(delivered);
    dialog.setMinimumDuration(0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setWindowFlag(Qt::WindowCloseButtonHint, false);
    dialog.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    dialog.setMinimumWidth(dialog.fontMetrics().height() * 24);
}

} // namespace

void CertListChecker::run(QWidget* owner, const std::vector<CertContextPtr>& certs, bool online,
                          const ResultFn& onResult) {
    const int total = static_cast<int>(certs.size());
    if (total == 0)
        return;

    if (!online) {
        checkFromCache(certs, onResult);
        return;
    }

    auto results = std::make_shared<Results>(certs.size());
    std::thread worker([results, certs] {
        RevocationSession session; // per thread: this load's fetches are shared here
        for (size_t i = 0; i < certs.size(); ++i) {
            // A private object over the shared, read-only context: the store's objects stay
            // untouched by this thread.
            CDigitalCertificate cert(certs[i]);
            cert.CRLCheck(results->status[i], true);
            results->done.store(static_cast<int>(i + 1), std::memory_order_release);
        }
    });

    int delivered = 0;
    auto deliver = [&] {
        const int done = results->done.load(std::memory_order_acquire);
        for (; delivered < done; ++delivered)
            onResult(delivered, statusText(results->status[static_cast<size_t>(delivered)]));
        return done;
    };

    QEventLoop loop;
    QProgressDialog* progress = nullptr;
    QTimer poll;
    poll.setInterval(kPollMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        const int done = deliver();
        if (progress && progress->value() != done) {
            progress->setValue(done);
            progress->setLabelText(progressText(done, total));
        }
        if (done == total)
            loop.quit();
    });
    poll.start();

    // First the window only repaints; input waits until the checks end or the dialog is up.
    QTimer delay;
    delay.setSingleShot(true);
    QObject::connect(&delay, &QTimer::timeout, &loop, [&] { loop.quit(); });
    delay.start(g_progressDelayMs);
    if (deliver() < total)
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (deliver() < total) {
        QProgressDialog dialog(owner);
        setUpProgress(dialog, delivered, total);
        HoldOpen holdOpen;
        dialog.installEventFilter(&holdOpen);
        progress = &dialog;
        dialog.show();
        if (deliver() < total)
            loop.exec();
        progress = nullptr;
        dialog.removeEventFilter(&holdOpen);
        dialog.hide();
    }
    poll.stop();
    worker.join();
    deliver();
}

} // namespace yx
