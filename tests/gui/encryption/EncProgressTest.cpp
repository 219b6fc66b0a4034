// The progress dialog over the engine: messages handed to the UI thread, cancelling a large run
// (button and close box), and the question after a decryption.
#include "EncTestKit.h"

#include "DecryptHeadReader.h"
#include "dialogs/DlgEncProgress.h"
#include "dialogs/EncDialogIds.h"

#include <QLabel>
#include <QProgressBar>
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

    // A decryption dialog set up for the record of `who` in `file`.
    std::unique_ptr<CDlgEncProgress> decryptDialog(const std::string& file, const std::string& target,
                                                   const Issued& who, const QString& password = {}) {
        kvx::DecryptHead head;
        std::string message;
        if (kvx::ReadDecryptHead(file, head, message) != 1)
            return nullptr;
        const std::string thumb = kvx::recordThumbprint(head.records.at(0));
        auto dialog = std::make_unique<CDlgEncProgress>(nullptr, 0, 0);
        dialog->SetSourcePath(q(file));
        dialog->SetTargetPath(q(target));
        dialog->SetPassword(password);
        dialog->SetDataOffset(head.dataOffset);
        for (const auto& record : head.records) {
            std::string t = kvx::recordThumbprint(record);
            std::string w = thumbOf(who);
            std::erase(w, ' ');
            if (t == w)
                dialog->SetRecord(record);
        }
        return dialog;
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
        const std::string source = path("large.bin");
        const off_t size = off_t(200) * 1024 * 1024;
        {
            const int fd = ::open(source.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
            QVERIFY(fd >= 0);
            QCOMPARE(::ftruncate(fd, size), 0); // sparse: no disk space taken
            ::close(fd);
        }
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
        const std::string source = path("close.bin");
        {
            const int fd = ::open(source.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
            QVERIFY(fd >= 0);
            QCOMPARE(::ftruncate(fd, off_t(64) * 1024 * 1024), 0);
            ::close(fd);
        }
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

    // Decryption: the title and label of the direction, bar and label at 100, then the question;
    // Yes (OK) opens the decrypted file, No leaves it.
    void decrypt_asksWhetherToOpen_data() {
        QTest::addColumn<bool>("answerOk");
        QTest::newRow("open") << true;
        QTest::newRow("leave") << false;
    }
    void decrypt_asksWhetherToOpen() {
        QFETCH(bool, answerOk);
        const Bytes original = patternBytes(1008 * 3);
        const std::string source = yxtest::writeFile(s(m_env->root()), "plain.doc", original);
        QCOMPARE(encryptFor(source, path("plain.doc.kvx"), {&m_pki->alice, &m_pki->me}), 0);
        auto dialog = decryptDialog(path("plain.doc.kvx"), path("out.doc"), m_pki->me);
        QVERIFY(dialog);
        m_prompt->answer(answerOk ? MsgAnswer::Ok : MsgAnswer::Cancel);
        QString labelAtQuestion;
        int barAtQuestion = -1;
        bool fileThereAtQuestion = false;
        m_prompt->beforeMessage = [&] {
            labelAtQuestion = control<QLabel>(dialog.get(), res::IDC_ENC_PERCENT)->text();
            barAtQuestion = control<QProgressBar>(dialog.get(), res::IDC_ENC_PROGRESS_BAR)->value();
            fileThereAtQuestion = exists(path("out.doc"));
        };
        QCOMPARE(dialog->DoModal(), 1);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("正在解密，请稍候..."));
        QCOMPARE(control<QLabel>(dialog.get(), res::IDC_ENC_DONE_LABEL)->text(),
                 QStringLiteral("解密已完成："));
        QVERIFY(fileThereAtQuestion);
        QCOMPARE(labelAtQuestion, QStringLiteral("100%"));
        QCOMPARE(barAtQuestion, 100);
        QCOMPARE(m_prompt->messages.size(), size_t(1));
        QCOMPARE(q(m_prompt->messages[0].text), QStringLiteral("解密成功，是否打开解密文件？"));
        QVERIFY(m_prompt->messages[0].icon == MsgIcon::Information);
        QVERIFY(m_prompt->messages[0].buttons == MsgButtons::OkCancel);
        QCOMPARE(yxtest::readFile(path("out.doc")), original);
        if (answerOk) {
            QCOMPARE(m_prompt->opened.size(), size_t(1));
            QCOMPARE(q(m_prompt->opened[0]), q(path("out.doc")));
        } else {
            QVERIFY(m_prompt->opened.empty());
        }
        QCOMPARE(m_prompt->offUiThread, 0);
    }
};

QTEST_MAIN(EncProgressTest)
#include "EncProgressTest.moc"
