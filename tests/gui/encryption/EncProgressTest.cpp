// The progress dialog over the engine: messages handed to the UI thread, cancelling a large run
// (button and close box). The question after a decryption is tested with the decrypt flow.
#include "EncTestKit.h"

#include "encryption/DlgEncProgress.h"
#include "encryption/EncDialogIds.h"

#include <QPushButton>

#include <fcntl.h>
#include <unistd.h>

using namespace enctest;
using namespace yx;

class EncProgressTest : public QObject, public EncTestBase {
    Q_OBJECT

    std::vector<std::unique_ptr<CDigitalCertificate>> m_certs;

    CCertList* listOf(CCertList& list, std::vector<const Issued*> to) {
        for (const Issued* who : to) {
            m_certs.push_back(std::make_unique<CDigitalCertificate>(CertContext::fromX509(who->cert.get())));
            list.Add(m_certs.back().get(), false);
        }
        return &list;
    }

    // Runs an encryption through the dialog; returns DoModal's result.
    int runEncrypt(CCertList* list, const std::string& source, const std::string& target, int quiet,
                   const QString& password = {}, int deleteSource = 0, CDlgEncProgress** keep = nullptr) {
        auto* dialog = new CDlgEncProgress(list, 1, quiet);
        dialog->SetSourcePath(q(source));
        dialog->SetTargetPath(q(target));
        dialog->SetPassword(password);
        dialog->SetDeleteSource(deleteSource);
        const int rc = dialog->DoModal();
        if (keep)
            *keep = dialog;
        else
            delete dialog;
        return rc;
    }

    // A file of `size` zero bytes that takes no disk space.
    std::string sparseFile(const std::string& name, off_t size) {
        const int fd = ::open(path(name).c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
        if (fd < 0 || ::ftruncate(fd, size) != 0)
            qFatal("cannot make %s", name.c_str());
        ::close(fd);
        return path(name);
    }

private slots:
    void initTestCase() { m_pki = std::make_unique<Pki>(); }

    void init() {
        QVERIFY(setUpEnv());
        importPersonal(m_pki->me, dir());
    }

    void cleanup() {
        tearDown();
        m_certs.clear();
    }

    // The percentage is shown only when it changes, never as 0, and ends at 100.
    // The worker's success message is shown by the UI thread, owned by the progress dialog.
    void encrypt_successMessageComesFromTheUiThread() {
        const std::string source = yxtest::writeFile(s(m_env->root()), "report.doc", patternBytes(5000));
        CCertList list;
        CDlgEncProgress* dialog = nullptr;
        QCOMPARE(runEncrypt(listOf(list, {&m_pki->me}), source, path("report.doc.kvx"), 0, {}, 0, &dialog),
                 1);
        std::unique_ptr<CDlgEncProgress> owned(dialog);
        QCOMPARE(dialog->runResult(), 0);
        QCOMPARE(m_prompt->messages.size(), size_t(1));
        QVERIFY(m_prompt->messages[0].owner == dialog);
        QCOMPARE(m_prompt->offUiThread, 0);
        QVERIFY(exists(path("report.doc.kvx")));
    }

    // A large file: Cancel disables itself, the dialog waits for the worker's end, the target goes,
    // the source stays, nothing is said, and the window keeps being served meanwhile.
    void encrypt_cancelLargeFile() {
        const off_t size = off_t(200) * 1024 * 1024;
        const std::string source = sparseFile("large.bin", size);
        CCertList list;
        listOf(list, {&m_pki->me});
        CDlgEncProgress dialog(&list, 1, 0);
        dialog.SetSourcePath(q(source));
        dialog.SetTargetPath(q(path("large.kvx")));
        QPushButton* cancel = control<QPushButton>(&dialog, res::IDCANCEL);

        bool cancelledWhileRunning = false, disabledAfterClick = false, stillOpenAfterClick = false;
        connect(&dialog, &CDlgEncProgress::progressShown, this, [&](int percent) {
            if (percent < 2 || cancelledWhileRunning)
                return;
            QTest::mouseClick(cancel, Qt::LeftButton);
            cancelledWhileRunning = true;
            disabledAfterClick = !cancel->isEnabled();
            stillOpenAfterClick = dialog.isVisible();
        });
        // The UI thread keeps running its loop: a 10 ms timer is never held up for long.
        QElapsedTimer clock;
        qint64 last = 0, worstGap = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] {
            const qint64 now = clock.elapsed();
            worstGap = std::max(worstGap, now - last);
            last = now;
        });
        clock.start();
        ticker.start(10);
        QCOMPARE(dialog.DoModal(), 2);
        ticker.stop();
        QVERIFY(cancelledWhileRunning);
        QVERIFY(disabledAfterClick);
        QVERIFY(stillOpenAfterClick);
        QVERIFY(dialog.cancelRequested());
        QCOMPARE(dialog.runResult(), 208);
        QVERIFY2(worstGap < 1500, qPrintable(QStringLiteral("UI thread stalled %1 ms").arg(worstGap)));
        QVERIFY(m_prompt->messages.empty());
        QVERIFY(!exists(path("large.kvx")));
        QCOMPARE(QFileInfo(q(source)).size(), qint64(size));
        QVERIFY(!cancel->isEnabled());
    }

    // Closing the window while the run goes on is Cancel.
    void encrypt_closeBoxActsAsCancel() {
        const std::string source = sparseFile("close.bin", off_t(64) * 1024 * 1024);
        CCertList list;
        listOf(list, {&m_pki->me});
        CDlgEncProgress dialog(&list, 1, 0);
        dialog.SetSourcePath(q(source));
        dialog.SetTargetPath(q(path("close.kvx")));
        bool visibleAfterClose = false;
        connect(&dialog, &CDlgEncProgress::progressShown, this, [&](int) {
            if (dialog.cancelRequested())
                return;
            dialog.close();
            visibleAfterClose = dialog.isVisible();
        });
        QCOMPARE(dialog.DoModal(), 2);
        QVERIFY(visibleAfterClose);
        QVERIFY(!control<QPushButton>(&dialog, res::IDCANCEL)->isEnabled());
        QVERIFY(!exists(path("close.kvx")));
        QVERIFY(m_prompt->messages.empty());
    }
};

QTEST_MAIN(EncProgressTest)
#include "EncProgressTest.moc"
