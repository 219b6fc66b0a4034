// The encrypt and decrypt dialogs' decisions (validation order, the overwrite question, no usable
// certificate), their password dialogs (protection; an empty password refused), and the flows the
// page and the command line run: encryption with ".kvx" appended or not, decryption end to end;
// the progress dialog over the engine: cancelling a large run (button or close box).
#include "EncTestKit.h"

#include "DecryptHeadReader.h"
#include "encryption/DecryptFlow.h"
#include "encryption/DlgDecryptFile.h"
#include "encryption/DlgEncProgress.h"
#include "encryption/DlgEncryptFile.h"
#include "encryption/DlgProtectPassword.h"
#include "encryption/EncDialogIds.h"
#include "encryption/EncryptFlow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include <fcntl.h>
#include <unistd.h>

using namespace enctest;
using namespace yx;

namespace {

std::vector<std::string> recipientNames(const std::string& file) {
    kvx::DecryptHead head;
    std::string message;
    std::vector<std::string> names;
    if (kvx::ReadDecryptHead(file, head, message) != 1)
        return names;
    for (const auto& record : head.records)
        names.push_back(kvx::KavexEncStruct::fromBytes(record).displayName);
    return names;
}

// `dialog` shown and exposed; null when it never was.
template <class D> std::unique_ptr<D> shown(std::unique_ptr<D> dialog) {
    dialog->show();
    return QTest::qWaitForWindowExposed(dialog.get()) ? std::move(dialog) : nullptr;
}

// Once the progress dialog shows 100%, waits (without serving events) until the target is in
// place, which is after the run's last look at the cancel flag, and then presses Cancel.
struct LateCancel : QObject {
    explicit LateCancel(QString file) : target(std::move(file)) {}
    QString target;
    bool clicked = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* progress = qobject_cast<CDlgEncProgress*>(watched);
        if (!progress || event->type() != QEvent::Show)
            return false;
        connect(progress, &CDlgEncProgress::progressShown, this, [this, progress](int percent) {
            if (percent == 100)
                QTimer::singleShot(0, progress, [this, progress] {
                    for (int i = 0; !QFileInfo::exists(target) && i < 5000; ++i)
                        QThread::msleep(1);
                    clicked = true;
                    click(progress, res::IDCANCEL);
                });
        });
        return false;
    }
};

} // namespace

class FileEncDialogsTest : public QObject, public EncTestBase {
    Q_OBJECT

    Bytes m_original;

    std::unique_ptr<CDlgEncryptFile> shownEncrypt(CCertList& list, const QString& source = {}) {
        auto dialog = std::make_unique<CDlgEncryptFile>(&list);
        if (!source.isEmpty())
            dialog->SetSourcePath(source);
        return shown(std::move(dialog));
    }
    std::unique_ptr<CDlgDecryptFile> shownDecrypt(const std::string& preset) {
        auto dialog = std::make_unique<CDlgDecryptFile>();
        if (!preset.empty())
            dialog->SetSourcePath(q(preset));
        return shown(std::move(dialog));
    }

    // report.doc encrypted for the given certificates into report.doc.kvx.
    std::string encrypted(const std::vector<const Issued*>& to, const std::string& password = "") {
        const std::string source = yxtest::writeFile(dir(), "report.doc", m_original);
        const std::string target = path("report.doc.kvx");
        if (encryptFor(source, target, to, password) != 0)
            return {};
        QFile::remove(q(source));
        return target;
    }

    std::vector<std::unique_ptr<CDigitalCertificate>> m_certs;

    // A progress dialog encrypting `source` into `target` for the user's own certificate.
    std::unique_ptr<CDlgEncProgress> progress(CCertList& list, const std::string& source,
                                              const std::string& target) {
        m_certs.push_back(std::make_unique<CDigitalCertificate>(CertContext::fromX509(m_pki->me.cert.get())));
        list.Add(m_certs.back().get(), false);
        auto dialog = std::make_unique<CDlgEncProgress>(&list, 1, 0);
        dialog->SetSourcePath(q(source));
        dialog->SetTargetPath(q(path(target)));
        return dialog;
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
    void initTestCase() {
        m_pki = std::make_unique<Pki>();
        m_original = patternBytes(1008 * 5 + 17);
    }

    void init() {
        startTest();
        importPersonal(m_pki->me, "我的加密证书");
        importPersonal(m_pki->signer);
        importOther(m_pki->alice);
        importOther(m_pki->bob);
        setDefaultCert(thumbOf(m_pki->me));
    }

    void cleanup() {
        endTest();
        m_certs.clear();
    }

    // OK checks in a fixed order, stops at the first failure, and leaves the dialog open.
    void encrypt_ok_validationOrder_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("withDefault");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        const int info = int(MsgIcon::Information), error = int(MsgIcon::Error);
        QTest::newRow("nothing") << "" << QString() << false << "请选择加密原始文件！" << info;
        QTest::newRow("blank source")
            << "   " << QStringLiteral("t.kvx") << true << "请选择加密原始文件！" << info;
        QTest::newRow("blank target")
            << "@src" << QStringLiteral(" \t ") << false << "请选择加密目标文件！" << info;
        QTest::newRow("no default") << "@missing" << QStringLiteral("t.kvx") << false
                                    << "请配置默认的文件加密证书！" << info;
        QTest::newRow("missing source")
            << "@missing" << QStringLiteral("t.kvx") << true << "您所指定的文件不存在！" << error;
        QTest::newRow("folder as source")
            << "@dir" << QStringLiteral("t.kvx") << true << "您所指定的文件不存在！" << error;
    }
    void encrypt_ok_validationOrder() {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(bool, withDefault);
        QFETCH(QString, message);
        QFETCH(int, icon);
        if (!withDefault)
            setDefaultCert("");
        yxtest::writeFile(dir(), "src.txt", std::string("hello"));
        QDir(m_env->root()).mkdir(QStringLiteral("folder"));
        source.replace(QStringLiteral("@src"), q(path("src.txt")))
            .replace(QStringLiteral("@missing"), q(path("missing.txt")))
            .replace(QStringLiteral("@dir"), q(path("folder")));
        CCertList list;
        auto dialog = shownEncrypt(list);
        QVERIFY(dialog);
        typeInto(dialog.get(), res::IDC_ENC_SOURCE, source);
        typeInto(dialog.get(), res::IDC_ENC_TARGET, target);
        click(dialog.get(), res::IDOK);
        QCOMPARE(m_prompt->messages.size(), size_t(1));
        QCOMPARE(q(m_prompt->messages[0].text), message);
        QCOMPARE(int(m_prompt->messages[0].icon), icon);
        QVERIFY(dialog->isVisible());
        QCOMPARE(list.GetCount(), 0);
        // The paths were trimmed and shown again.
        QCOMPARE(control<QLineEdit>(dialog.get(), res::IDC_ENC_TARGET)->text(), target.trimmed());
    }

    // Both dialogs ask before replacing a file; No keeps the dialog open and runs nothing.
    void ok_existingTargetAsksBeforeOverwriting_data() {
        QTest::addColumn<bool>("decrypt");
        QTest::addColumn<bool>("yes");
        for (bool decrypt : {false, true})
            for (bool yes : {false, true})
                QTest::addRow("%s, %s", decrypt ? "decrypt" : "encrypt", yes ? "yes" : "no")
                    << decrypt << yes;
    }
    void ok_existingTargetAsksBeforeOverwriting() {
        QFETCH(bool, decrypt);
        QFETCH(bool, yes);
        CCertList list;
        std::unique_ptr<QDialog> dialog;
        if (decrypt) {
            dialog = shownDecrypt(encrypted({&m_pki->me}));
            yxtest::writeFile(dir(), "report.doc", std::string("present"));
        } else {
            yxtest::writeFile(dir(), "src.txt.kvx", std::string("old"));
            dialog = shownEncrypt(list, q(yxtest::writeFile(dir(), "src.txt", std::string("hello"))));
        }
        QVERIFY(dialog);
        m_prompt->answer(yes ? MsgAnswer::Yes : MsgAnswer::No);
        click(dialog.get(), res::IDOK);
        QCOMPARE(m_prompt->texts(),
                 std::vector<std::string>{decrypt ? "您所指定的解密文件已经存在，要覆盖它吗？"
                                                  : "您所指定加密的文件已经存在，要覆盖它吗？"});
        QVERIFY(m_prompt->messages[0].icon == MsgIcon::Warning);
        QVERIFY(m_prompt->messages[0].buttons == MsgButtons::YesNo);
        QCOMPARE(dialog->isVisible(), !yes);
        QCOMPARE(list.GetCount(), yes && !decrypt ? 1 : 0);
    }

    // The protection box opens the password dialog on each check; Cancel clears the box.
    void encrypt_protection_passwordDialogValidationAndCancel() {
        const std::string source = yxtest::writeFile(dir(), "src.txt", std::string("hello"));
        CCertList list;
        auto dialog = shownEncrypt(list, q(source));
        QVERIFY(dialog);
        std::vector<std::string> seenInDialog;
        ModalScript script;
        script.on(226, [&](QDialog* pw) {
            click(pw, res::IDOK); // both empty
            typeInto(pw, res::IDC_PROTECT_PASSWORD, QStringLiteral("口令1"));
            typeInto(pw, res::IDC_PROTECT_CONFIRM, QStringLiteral("口令2"));
            click(pw, res::IDOK); // different
            seenInDialog = m_prompt->texts();
            QVERIFY(pw->isVisible());
            typeInto(pw, res::IDC_PROTECT_CONFIRM, QStringLiteral("口令1"));
            click(pw, res::IDOK);
        });
        auto* box = control<QCheckBox>(dialog.get(), res::IDC_ENC_PROTECT);
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(seenInDialog, (std::vector<std::string>{"请输入密码！", "输入密码不一致，请重新输入！"}));
        QVERIFY(m_prompt->messages[0].icon == MsgIcon::Warning &&
                m_prompt->messages[1].icon == MsgIcon::Warning);
        QVERIFY(box->isChecked());

        // Unchecking drops nothing at once; checking again and cancelling clears box and password.
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(!box->isChecked());
        script.on(226, [](QDialog* pw) { click(pw, res::IDCANCEL); });
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(!box->isChecked());
        click(dialog.get(), res::IDOK);
        QVERIFY(dialog->password().isEmpty());
    }

    // The page's flow appends ".kvx" to a typed target; the overwrite question is about the file
    // it replaces. The command line's flow writes the target as typed.
    void encrypt_flow_targetExtensionAndRecipients_data() {
        QTest::addColumn<bool>("appendKvx");
        QTest::addColumn<QString>("written");
        QTest::newRow("page") << true << "out.kvx";
        QTest::newRow("command line") << false << "out";
    }
    void encrypt_flow_targetExtensionAndRecipients() {
        QFETCH(bool, appendKvx);
        QFETCH(QString, written);
        const std::string source = yxtest::writeFile(dir(), "src.txt", patternBytes(4000));
        yxtest::writeFile(dir(), "out.kvx", std::string("older file"));
        ModalScript script;
        script.on(225, [&](QDialog* dialog) {
            typeInto(dialog, res::IDC_ENC_TARGET, q(path("out")));
            auto* others = control<QTreeWidget>(dialog, res::IDC_ENC_OTHER_LIST);
            others->topLevelItem(0)->setCheckState(0, Qt::Checked);
            others->topLevelItem(1)->setCheckState(0, Qt::Checked);
            click(dialog, res::IDOK);
        });
        EncryptFlowOutcome outcome;
        const int rc =
            RunEncryptFlow(q("\"" + source + "\""), EncryptFlowOptions{appendKvx, false}, nullptr, &outcome);
        QCOMPARE(rc, 1);
        // Only the page's flow replaces out.kvx, and only it asks ("out" itself did not exist).
        std::vector<std::string> shown = {"加密成功！"};
        if (appendKvx)
            shown.insert(shown.begin(), "您所指定加密的文件已经存在，要覆盖它吗？");
        QCOMPARE(m_prompt->texts(), shown);
        QCOMPARE(outcome.target, q(path(s(written))));
        QCOMPARE(outcome.runResult, 0);
        QCOMPARE(outcome.recipientEmails, (std::vector<std::string>{"lisi@example.cn"}));
        QCOMPARE(recipientNames(path(s(written))), (std::vector<std::string>{"张三", "李四", "王五"}));
        if (!appendKvx)
            QCOMPARE(yxtest::readAll(q(path("out.kvx"))), QByteArray("older file"));
        QCOMPARE(m_prompt->offUiThread, 0);
    }

    void decrypt_load_noRecipientHeld_okRefuses() {
        const std::string file = encrypted({&m_pki->stranger, &m_pki->alice});
        auto dialog = shownDecrypt(file);
        QVERIFY(dialog);
        QCOMPARE(control<QComboBox>(dialog.get(), res::IDC_DEC_CERT_BOX)->count(), 0);
        QVERIFY(!control<QPushButton>(dialog.get(), res::IDC_DEC_VIEW)->isEnabled());
        click(dialog.get(), res::IDOK);
        QCOMPARE(m_prompt->texts(), (std::vector<std::string>{"没有可用的解密证书！"}));
        QVERIFY(m_prompt->messages[0].icon == MsgIcon::Warning);
        QVERIFY(dialog->isVisible());
    }

    void decrypt_ok_validationOrder() {
        auto dialog = shownDecrypt("");
        QVERIFY(dialog);
        click(dialog.get(), res::IDOK);
        QCOMPARE(m_prompt->texts(), (std::vector<std::string>{"请选择加密文件！"}));
        QVERIFY(m_prompt->messages[0].icon == MsgIcon::Error);

        // A damaged file picked with the chooser: the reader's message, then OK's.
        const std::string bad = yxtest::writeFile(dir(), "bad.kvx", std::string(700, 'x'));
        m_prompt->clear();
        m_prompt->chooseFileAnswer(bad);
        click(dialog.get(), res::IDC_DEC_SOURCE_BROWSE);
        QCOMPARE(m_prompt->texts(), (std::vector<std::string>{"加密文件格式错误！"}));
        click(dialog.get(), res::IDOK);
        QCOMPARE(m_prompt->messages.back().text, std::string("请选择解密文件！"));
        typeInto(dialog.get(), res::IDC_DEC_TARGET, q(path("out")));
        click(dialog.get(), res::IDOK);
        QCOMPARE(m_prompt->messages.back().text,
                 std::string("您所解密的文件已被破坏或者您所选定的文件为非加密文件！"));
        QVERIFY(m_prompt->messages.back().icon == MsgIcon::Error);

        // A good file, then removed before OK.
        const std::string file = encrypted({&m_pki->me});
        m_prompt->chooseFileAnswer(file);
        click(dialog.get(), res::IDC_DEC_SOURCE_BROWSE);
        QCOMPARE(control<QLineEdit>(dialog.get(), res::IDC_DEC_TARGET)->text(), q(path("report.doc")));
        QFile::remove(q(file));
        m_prompt->clear();
        click(dialog.get(), res::IDOK);
        QCOMPARE(m_prompt->texts(), (std::vector<std::string>{"您所指定的文件不存在！"}));
        QVERIFY(dialog->isVisible());
    }

    // The whole operation: a target typed without the extension gets the header's; the question
    // after the run opens the file (Yes) or not (No).
    void decrypt_flow_decryptsAndAsksToOpen_data() {
        QTest::addColumn<bool>("open");
        QTest::newRow("open") << true;
        QTest::newRow("do not open") << false;
    }
    void decrypt_flow_decryptsAndAsksToOpen() {
        QFETCH(bool, open);
        const std::string file = encrypted({&m_pki->alice, &m_pki->me});
        ModalScript script;
        script.on(227, [&](QDialog* dialog) {
            typeInto(dialog, res::IDC_DEC_TARGET, q(path("out")));
            click(dialog, res::IDOK);
        });
        m_prompt->answer(open ? MsgAnswer::Ok : MsgAnswer::Cancel);
        bool writtenAtQuestion = false; // the question comes after the whole file is written
        m_prompt->beforeMessage = [&] {
            writtenAtQuestion = yxtest::readFile(path("out.doc")) == m_original;
        };
        DecryptFlowOutcome outcome;
        QCOMPARE(DecryptFile(q(file), nullptr, &outcome), 1);
        QVERIFY(writtenAtQuestion);
        QVERIFY(outcome.ran);
        QCOMPARE(outcome.runResult, 0);
        QCOMPARE(outcome.target, q(path("out.doc")));
        QCOMPARE(yxtest::readFile(path("out.doc")), m_original);
        QCOMPARE(m_prompt->texts(), (std::vector<std::string>{"解密成功，是否打开解密文件？"}));
        QCOMPARE(m_prompt->opened,
                 open ? std::vector<std::string>{path("out.doc")} : std::vector<std::string>{});
        QCOMPARE(m_prompt->offUiThread, 0);
    }

    // Cancel pressed after the run wrote its last piece, before its end reached the dialog: the
    // run counts as cancelled, so nothing is offered or opened.
    void decrypt_flow_lateCancelOpensNothing() {
        const std::string file = encrypted({&m_pki->me});
        ModalScript script;
        script.on(227, [](QDialog* dialog) { click(dialog, res::IDOK); });
        LateCancel late(q(path("report.doc")));
        qApp->installEventFilter(&late);
        m_prompt->answer(MsgAnswer::Ok);
        QCOMPARE(DecryptFile(q(file), nullptr, nullptr), 2);
        QVERIFY(late.clicked);
        QVERIFY(m_prompt->messages.empty());
        QVERIFY(m_prompt->opened.empty());
    }

    // A protected file asks for its password (an empty one refused); a wrong one, a cancel and an
    // old-format file each end with their message and write nothing.
    void decrypt_flow_passwordAndOldFormat_data() {
        QTest::addColumn<QString>("password"); // null: the question is cancelled
        QTest::addColumn<bool>("v1");
        QTest::addColumn<int>("rc");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("icon"); // of the last message
        const QString empty = QStringLiteral("请输入密码！");
        QTest::newRow("right") << QStringLiteral("蓝岸 123") << false << 1
                               << QStringList{empty, QStringLiteral("解密成功，是否打开解密文件？")}
                               << int(MsgIcon::Information);
        QTest::newRow("wrong") << QStringLiteral("蓝岸 124") << false << 1
                               << QStringList{empty, QStringLiteral("口令错误！")} << int(MsgIcon::Error);
        QTest::newRow("cancelled") << QString() << false << 0
                                   << QStringList{empty, QStringLiteral("解密失败！")}
                                   << int(MsgIcon::Information);
        QTest::newRow("version 1") << QString() << true << 0
                                   << QStringList{QStringLiteral("调用加密函数失败，解密失败！")}
                                   << int(MsgIcon::Error);
    }
    void decrypt_flow_passwordAndOldFormat() {
        QFETCH(QString, password);
        QFETCH(bool, v1);
        QFETCH(int, rc);
        QFETCH(QStringList, texts);
        QFETCH(int, icon);
        const std::string file =
            v1 ? yxtest::writeFile(dir(), "report.kvx", std::string("KavexFileType=1;") + "payload")
               : encrypted({&m_pki->me}, "蓝岸 123");
        ModalScript script;
        script.on(227, [](QDialog* dialog) { click(dialog, res::IDOK); });
        if (!v1)
            script.on(247, [&](QDialog* ask) {
                click(ask, res::IDOK);
                if (password.isNull())
                    return QTest::keyClick(ask, Qt::Key_Escape);
                typeInto(ask, res::IDC_ENTER_PASSWORD, password);
                QTest::keyClick(control<QLineEdit>(ask, res::IDC_ENTER_PASSWORD), Qt::Key_Return);
            });
        m_prompt->defaultYes = false;
        DecryptFlowOutcome outcome;
        QCOMPARE(DecryptFile(q(file), nullptr, &outcome), rc);
        QCOMPARE(yxtest::messageTexts(*m_prompt), texts);
        QCOMPARE(int(m_prompt->messages.back().icon), icon);
        const bool written = password == QStringLiteral("蓝岸 123");
        QCOMPARE(exists(path("report.doc")), written);
        if (written)
            QCOMPARE(yxtest::readFile(path("report.doc")), m_original);
    }

    // A large file cancelled by the button or by the close box: Cancel disables itself, the dialog
    // waits for the worker's end, the target goes, the source stays, and nothing is said.
    void progress_cancelLargeFile_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("button") << false;
        QTest::newRow("close box") << true;
    }
    void progress_cancelLargeFile() {
        QFETCH(bool, closeBox);
        const off_t size = off_t(200) * 1024 * 1024;
        const std::string source = sparseFile("large.bin", size);
        CCertList list;
        const auto dialog = progress(list, source, "large.kvx");
        QPushButton* cancel = control<QPushButton>(dialog.get(), res::IDCANCEL);

        bool cancelledWhileRunning = false, disabledAfterClick = false, stillOpenAfterClick = false;
        connect(dialog.get(), &CDlgEncProgress::progressShown, this, [&](int percent) {
            if (percent < 2 || cancelledWhileRunning)
                return;
            if (closeBox)
                dialog->close();
            else
                QTest::mouseClick(cancel, Qt::LeftButton);
            cancelledWhileRunning = true;
            disabledAfterClick = !cancel->isEnabled();
            stillOpenAfterClick = dialog->isVisible();
        });
        QCOMPARE(dialog->DoModal(), 2);
        QVERIFY(cancelledWhileRunning);
        QVERIFY(disabledAfterClick);
        QVERIFY(stillOpenAfterClick);
        QVERIFY(dialog->cancelRequested());
        QCOMPARE(dialog->runResult(), 208);
        QVERIFY(m_prompt->messages.empty());
        QVERIFY(!exists(path("large.kvx")));
        QCOMPARE(QFileInfo(q(source)).size(), qint64(size));
    }
};

QTEST_MAIN(FileEncDialogsTest)
#include "FileEncDialogsTest.moc"
