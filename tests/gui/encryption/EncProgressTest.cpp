// The progress dialog over the engine: end codes, messages on the UI thread, quiet mode, the
// percentage display, cancelling a large run, and the question after a decryption.
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

    void encrypt_showsTitleLabelAndSuccessMessageOnTheUiThread() {
        const std::string source = yxtest::writeFile(s(m_env->root()), "report.doc", patternBytes(5000));
        CCertList list;
        CDlgEncProgress* dialog = nullptr;
        QCOMPARE(runEncrypt(listOf(list, {&m_pki->me}), source, path("report.doc.kvx"), 0, {}, 0, &dialog),
                 1);
        std::unique_ptr<CDlgEncProgress> owned(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("正在加密，请稍候..."));
        QCOMPARE(control<QLabel>(dialog, res::IDC_ENC_DONE_LABEL)->text(), QStringLiteral("加密已完成："));
        QCOMPARE(control<QLabel>(dialog, res::IDC_ENC_PERCENT)->text(), QStringLiteral("100%"));
        QCOMPARE(control<QProgressBar>(dialog, res::IDC_ENC_PROGRESS_BAR)->value(), 100);
        QCOMPARE(dialog->runResult(), 0);
        QCOMPARE(m_prompt->messages.size(), size_t(1));
        QCOMPARE(q(m_prompt->messages[0].text), QStringLiteral("加密成功！"));
        QCOMPARE(q(m_prompt->messages[0].caption), QStringLiteral("钥匣"));
        QVERIFY(m_prompt->messages[0].icon == MsgIcon::Information);
        QVERIFY(m_prompt->messages[0].owner == dialog); // owned by the progress dialog
        QCOMPARE(m_prompt->offUiThread, 0);
        QVERIFY(exists(source));
        QVERIFY(exists(path("report.doc.kvx")));
    }

    void encrypt_quietShowsNoSuccessMessage() {
        const std::string source = yxtest::writeFile(s(m_env->root()), "a.txt", patternBytes(3000));
        CCertList list;
        QCOMPARE(runEncrypt(listOf(list, {&m_pki->me}), source, path("a.txt.kvx"), 1), 1);
        QVERIFY(m_prompt->messages.empty());
        QVERIFY(exists(path("a.txt.kvx")));
    }

    // The percentage is shown only when it changes, never as 0, and ends at 100.
    void encrypt_percentagesRiseWithoutZero() {
        const std::string source = yxtest::writeFile(s(m_env->root()), "big.bin", patternBytes(1008 * 400));
        CCertList list;
        listOf(list, {&m_pki->me});
        CDlgEncProgress dialog(&list, 1, 1);
        dialog.SetSourcePath(q(source));
        dialog.SetTargetPath(q(path("big.kvx")));
        std::vector<int> shown;
        std::vector<QString> labels;
        connect(&dialog, &CDlgEncProgress::progressShown, this, [&](int p) {
            shown.push_back(p);
            labels.push_back(control<QLabel>(&dialog, res::IDC_ENC_PERCENT)->text());
        });
        QCOMPARE(dialog.DoModal(), 1);
        QVERIFY(!shown.empty());
        QVERIFY(shown.front() > 0);
        QCOMPARE(shown.back(), 100);
        for (size_t i = 1; i < shown.size(); ++i)
            QVERIFY(shown[i] > shown[i - 1]);
        QCOMPARE(labels.back(), QStringLiteral("100%"));
        QCOMPARE(labels.front(), QStringLiteral("%1%").arg(shown.front()));
    }

    // End codes: failures end with IDOK after their message; the message has the error icon. A
    // failed run leaves no target, and a file that was there before stays as it was.
    void encrypt_failuresEndOkWithTheirMessage_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("withCerts");
        QTest::addColumn<bool>("targetBefore");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty source") << 0 << true << false << 201 << QStringLiteral("源文件内容为空！");
        QTest::newRow("empty list") << 100 << false << false << 203 << QStringLiteral("加解密函数调用错误！");
        QTest::newRow("empty list, old target")
            << 100 << false << true << 203 << QStringLiteral("加解密函数调用错误！");
    }
    void encrypt_failuresEndOkWithTheirMessage() {
        QFETCH(int, size);
        QFETCH(bool, withCerts);
        QFETCH(bool, targetBefore);
        QFETCH(int, result);
        QFETCH(QString, message);
        const std::string source = yxtest::writeFile(s(m_env->root()), "src.txt", patternBytes(size_t(size)));
        if (targetBefore)
            yxtest::writeFile(s(m_env->root()), "src.kvx", std::string("old content"));
        CCertList list;
        if (withCerts)
            listOf(list, {&m_pki->me});
        CDlgEncProgress* dialog = nullptr;
        // The delete option never deletes the source of a failed run.
        QCOMPARE(runEncrypt(&list, source, path("src.kvx"), 0, {}, 1, &dialog), 1);
        std::unique_ptr<CDlgEncProgress> owned(dialog);
        QCOMPARE(dialog->runResult(), result);
        QCOMPARE(m_prompt->messages.size(), size_t(1));
        QCOMPARE(q(m_prompt->messages[0].text), message);
        QVERIFY(m_prompt->messages[0].icon == MsgIcon::Error);
        QCOMPARE(m_prompt->offUiThread, 0);
        QCOMPARE(exists(path("src.kvx")), targetBefore);
        if (targetBefore)
            QCOMPARE(yxtest::readFile(path("src.kvx")),
                     Bytes({'o', 'l', 'd', ' ', 'c', 'o', 'n', 't', 'e', 'n', 't'}));
        QVERIFY(exists(source));
    }

    void encrypt_deleteSourceAfterSuccess() {
        const std::string source = yxtest::writeFile(s(m_env->root()), "gone.txt", patternBytes(2016));
        CCertList list;
        QCOMPARE(runEncrypt(listOf(list, {&m_pki->me}), source, path("gone.kvx"), 1, {}, 1), 1);
        QVERIFY(!exists(source));
        QVERIFY(exists(path("gone.kvx")));
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
        QString shot;
        connect(&dialog, &CDlgEncProgress::progressShown, this, [&](int percent) {
            if (percent < 2 || cancelledWhileRunning)
                return;
            shot = yxtest::saveScreenshot(&dialog, QStringLiteral("enc_progress_running"));
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

    void decrypt_noApplicationToOpenIsReported() {
        const std::string source = yxtest::writeFile(s(m_env->root()), "x.zzz", patternBytes(100));
        QCOMPARE(encryptFor(source, path("x.kvx"), {&m_pki->me}), 0);
        auto dialog = decryptDialog(path("x.kvx"), path("x.out.zzz"), m_pki->me);
        QVERIFY(dialog);
        m_prompt->openSucceeds = false;
        QCOMPARE(dialog->DoModal(), 1);
        QCOMPARE(m_prompt->texts(), (std::vector<std::string>{"解密成功，是否打开解密文件？",
                                                              "未找到合适的应用程序打开该文件"}));
        QVERIFY(exists(path("x.out.zzz")));
    }

    void decrypt_protectedFile_data() {
        QTest::addColumn<QString>("entered");
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("right password") << QStringLiteral("机密 pass") << true;
        QTest::newRow("wrong password") << QStringLiteral("机密 pas") << false;
    }
    void decrypt_protectedFile() {
        QFETCH(QString, entered);
        QFETCH(bool, succeeds);
        const Bytes original = patternBytes(5000);
        const std::string source = yxtest::writeFile(s(m_env->root()), "secret.txt", original);
        QCOMPARE(encryptFor(source, path("secret.kvx"), {&m_pki->me}, "机密 pass"), 0);
        auto dialog = decryptDialog(path("secret.kvx"), path("secret.out.txt"), m_pki->me, entered);
        QVERIFY(dialog);
        m_prompt->defaultYes = false;
        QCOMPARE(dialog->DoModal(), 1); // a failure message still ends with IDOK
        if (succeeds) {
            QCOMPARE(yxtest::readFile(path("secret.out.txt")), original);
            QCOMPARE(m_prompt->texts(), (std::vector<std::string>{"解密成功，是否打开解密文件？"}));
        } else {
            QCOMPARE(m_prompt->texts(), (std::vector<std::string>{"口令错误！"}));
            QVERIFY(m_prompt->messages[0].icon == MsgIcon::Error);
            QVERIFY(!exists(path("secret.out.txt")));
            QCOMPARE(dialog->runResult(), 216);
        }
        QCOMPARE(m_prompt->offUiThread, 0);
    }

    void screenshot_decryptBeforeStart() {
        CDlgEncProgress dialog(nullptr, 0, 0);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(control<QLabel>(&dialog, res::IDC_ENC_PERCENT)->text().isEmpty());
        yxtest::saveScreenshot(&dialog, QStringLiteral("dec_progress_start"));
        dialog.reject(); // not started: ends at once
        QVERIFY(!dialog.isVisible());
    }
};

QTEST_MAIN(EncProgressTest)
#include "EncProgressTest.moc"
