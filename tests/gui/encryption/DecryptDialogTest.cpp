// The decrypt dialog, its password dialog, the decrypt operation and the secure-file properties.
#include "EncTestKit.h"

#include "dialogs/DlgDecryptFile.h"
#include "dialogs/DlgEnterPassword.h"
#include "dialogs/DlgSecureFileProp.h"
#include "dialogs/EncDialogIds.h"
#include "encryption/DecryptFlow.h"
#include "encryption/SecureFileFlow.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using namespace enctest;
using namespace yx;

class DecryptDialogTest : public QObject, public EncTestBase {
    Q_OBJECT

    Bytes m_original;

    // report.doc encrypted for the given certificates into report.doc.kvx.
    std::string encrypted(const std::vector<const Issued*>& to, const std::string& password = "") {
        const std::string source = yxtest::writeFile(dir(), "report.doc", m_original);
        const std::string target = path("report.doc.kvx");
        if (encryptFor(source, target, to, password) != 0)
            return {};
        QFile::remove(q(source));
        return target;
    }

    std::unique_ptr<CDlgDecryptFile> shownDialog(const std::string& preset) {
        auto dialog = std::make_unique<CDlgDecryptFile>();
        if (!preset.empty())
            dialog->SetSourcePath(q(preset));
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get()))
            return nullptr;
        return dialog;
    }

private slots:
    void initTestCase() {
        m_pki = std::make_unique<Pki>();
        m_original = patternBytes(1008 * 5 + 17);
    }

    void init() {
        QVERIFY(setUpEnv());
        importPersonal(m_pki->me, dir());
        importPersonal(m_pki->signer, dir());
        importOther(m_pki->alice, dir());
    }

    void cleanup() { tearDown(); }

    // The box lists, in file order, the recipients the user holds; the target is proposed from
    // the source and the header's extension.
    void load_version2_listsHeldRecipientsAndProposesTarget() {
        const std::string file = encrypted({&m_pki->alice, &m_pki->me, &m_pki->signer});
        QVERIFY(!file.empty());
        auto dialog = shownDialog("  \"" + file + "\"");
        QVERIFY(dialog);
        QCOMPARE(dialog->objectName(), QStringLiteral("227"));
        QCOMPARE(control<QLineEdit>(dialog.get(), res::IDC_DEC_SOURCE)->text(), q(file));
        QVERIFY(control<QLineEdit>(dialog.get(), res::IDC_DEC_SOURCE)->isReadOnly());
        QCOMPARE(control<QLineEdit>(dialog.get(), res::IDC_DEC_TARGET)->text(), q(path("report.doc")));
        auto* box = control<QComboBox>(dialog.get(), res::IDC_DEC_CERT_BOX);
        QCOMPARE(box->count(), 2);
        QCOMPARE(box->itemText(0), QStringLiteral("张三"));
        QCOMPARE(box->itemText(1), QStringLiteral("张三签名"));
        QCOMPARE(box->currentIndex(), 0);
        QVERIFY(control<QPushButton>(dialog.get(), res::IDC_DEC_VIEW)->isEnabled());
        QVERIFY(control<QLabel>(dialog.get(), res::IDC_DEC_CHOICE_LABEL)->isVisible());
        QCOMPARE(control<QLabel>(dialog.get(), res::IDC_DEC_CHOICE_LABEL)->text(),
                 QStringLiteral("您有以下可供选择的用来解密该文件的证书："));
        QVERIFY(!control<QLabel>(dialog.get(), res::IDC_DEC_V1_LABEL)->isVisible());
        QVERIFY(m_prompt->messages.empty());
        yxtest::saveScreenshot(dialog.get(), QStringLiteral("decrypt_dialog"));

        box->setCurrentIndex(1);
        click(dialog.get(), res::IDOK);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(dialog->chosenRecord(), 2); // the third record of the file
        click(dialog.get(), res::IDC_DEC_VIEW);
    }

    void view_showsTheChosenCertificate() {
        const std::string file = encrypted({&m_pki->me});
        auto dialog = shownDialog(file);
        QVERIFY(dialog);
        click(dialog.get(), res::IDC_DEC_VIEW);
        QCOMPARE(m_prompt->programs.size(), size_t(1));
        QVERIFY(m_prompt->programs[0].wait);
    }

    void load_noRecipientHeld_okRefuses() {
        const std::string file = encrypted({&m_pki->stranger, &m_pki->alice});
        auto dialog = shownDialog(file);
        QVERIFY(dialog);
        QCOMPARE(control<QComboBox>(dialog.get(), res::IDC_DEC_CERT_BOX)->count(), 0);
        QVERIFY(!control<QPushButton>(dialog.get(), res::IDC_DEC_VIEW)->isEnabled());
        click(dialog.get(), res::IDOK);
        QCOMPARE(m_prompt->texts(), (std::vector<std::string>{"没有可用的解密证书！"}));
        QVERIFY(m_prompt->messages[0].icon == MsgIcon::Warning);
        QVERIFY(dialog->isVisible());
    }

    void load_version1_offersNoChoice() {
        const std::string file =
            yxtest::writeFile(dir(), "old.txt.kvx", std::string("KavexFileType=1;") + "xxxxxxxx");
        auto dialog = shownDialog(file);
        QVERIFY(dialog);
        QVERIFY(!control<QComboBox>(dialog.get(), res::IDC_DEC_CERT_BOX)->isVisible());
        QVERIFY(!control<QPushButton>(dialog.get(), res::IDC_DEC_VIEW)->isVisible());
        QVERIFY(!control<QLabel>(dialog.get(), res::IDC_DEC_CHOICE_LABEL)->isVisible());
        QCOMPARE(control<QLabel>(dialog.get(), res::IDC_DEC_V1_LABEL)->text(),
                 QStringLiteral("钥匣会为你选择合适的解密证书进行解密"));
        QCOMPARE(control<QLineEdit>(dialog.get(), res::IDC_DEC_TARGET)->text(), q(path("old.txt")));
        click(dialog.get(), res::IDOK);
        QVERIFY(m_prompt->messages.empty());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
    }

    // A preset file that cannot be loaded: the reader's message, then the dialog ends as cancelled.
    void preset_loadFailureClosesTheDialog_data() {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QString() << QStringLiteral("打开解密源文件失败！");
        QTest::newRow("not encrypted")
            << QStringLiteral("just some text, long enough") << QStringLiteral("加密文件格式错误！");
        QTest::newRow("short header")
            << QStringLiteral("KavexFileType=2;1.doc") << QStringLiteral("读加密文件格式错误！");
    }
    void preset_loadFailureClosesTheDialog() {
        QFETCH(QString, content);
        QFETCH(QString, message);
        const std::string file =
            content.isNull() ? path("none.kvx") : yxtest::writeFile(dir(), "bad.kvx", s(content));
        CDlgDecryptFile dialog;
        dialog.SetSourcePath(q(file));
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(m_prompt->messages.size(), size_t(1));
        QCOMPARE(q(m_prompt->messages[0].text), message);
        QVERIFY(m_prompt->messages[0].icon == MsgIcon::Error);
        QCOMPARE(q(m_prompt->messages[0].caption), QStringLiteral("钥匣"));
    }

    void ok_validationOrder() {
        auto dialog = shownDialog("");
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
        QCOMPARE(q(m_prompt->fileRequests[0].filter), QStringLiteral("KVX Files(*.kvx)|*.kvx||"));
        QCOMPARE(q(m_prompt->fileRequests[0].defaultSuffix), QStringLiteral("kvx"));
        QVERIFY(!m_prompt->fileRequests[0].save);
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

    void ok_existingTargetAsks_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("no") << false;
        QTest::newRow("yes") << true;
    }
    void ok_existingTargetAsks() {
        QFETCH(bool, yes);
        const std::string file = encrypted({&m_pki->me});
        yxtest::writeFile(dir(), "report.doc", std::string("present"));
        auto dialog = shownDialog(file);
        QVERIFY(dialog);
        m_prompt->answer(yes ? MsgAnswer::Yes : MsgAnswer::No);
        click(dialog.get(), res::IDOK);
        QCOMPARE(m_prompt->texts(), (std::vector<std::string>{"您所指定的解密文件已经存在，要覆盖它吗？"}));
        QVERIFY(m_prompt->messages[0].buttons == MsgButtons::YesNo);
        QVERIFY(m_prompt->messages[0].icon == MsgIcon::Warning);
        QCOMPARE(dialog->isVisible(), !yes);
    }

    void targetChooser_usesTheHeadersExtension() {
        const std::string file = encrypted({&m_pki->me});
        auto dialog = shownDialog(file);
        QVERIFY(dialog);
        m_prompt->chooseFileAnswer(path("elsewhere.doc"));
        click(dialog.get(), res::IDC_DEC_TARGET_BROWSE);
        QCOMPARE(control<QLineEdit>(dialog.get(), res::IDC_DEC_TARGET)->text(), q(path("elsewhere.doc")));
        QCOMPARE(q(m_prompt->fileRequests[0].defaultSuffix), QStringLiteral("doc"));
        QCOMPARE(q(m_prompt->fileRequests[0].filter), QStringLiteral("所有文件(*.*)|*.*||"));
    }

    // The whole operation: a target typed without the extension gets the header's; the question
    // after the run opens the file (Yes) or not (No).
    void flow_decryptsAndAsksToOpen_data() {
        QTest::addColumn<bool>("open");
        QTest::newRow("open") << true;
        QTest::newRow("do not open") << false;
    }
    void flow_decryptsAndAsksToOpen() {
        QFETCH(bool, open);
        const std::string file = encrypted({&m_pki->alice, &m_pki->me});
        onModal(QStringLiteral("227"), [&](QDialog* dialog) {
            typeInto(dialog, res::IDC_DEC_TARGET, q(path("out")));
            click(dialog, res::IDOK);
        });
        m_prompt->answer(open ? MsgAnswer::Ok : MsgAnswer::Cancel);
        DecryptFlowOutcome outcome;
        QCOMPARE(DecryptFile(q(file), nullptr, &outcome), 1);
        QVERIFY(outcome.ran);
        QCOMPARE(outcome.runResult, 0);
        QCOMPARE(outcome.target, q(path("out.doc")));
        QCOMPARE(yxtest::readFile(path("out.doc")), m_original);
        QCOMPARE(m_prompt->texts(), (std::vector<std::string>{"解密成功，是否打开解密文件？"}));
        QCOMPARE(m_prompt->opened,
                 open ? std::vector<std::string>{path("out.doc")} : std::vector<std::string>{});
        QCOMPARE(m_prompt->offUiThread, 0);
    }

    void flow_protectedFile_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("written");
        QTest::newRow("right") << QStringLiteral("蓝岸 123") << true;
        QTest::newRow("wrong") << QStringLiteral("蓝岸 124") << false;
    }
    void flow_protectedFile() {
        QFETCH(QString, password);
        QFETCH(bool, written);
        const std::string file = encrypted({&m_pki->me}, "蓝岸 123");
        onModal(QStringLiteral("227"), [](QDialog* dialog) { click(dialog, res::IDOK); });
        bool emptyRefused = false;
        onModal(QStringLiteral("247"), [&](QDialog* ask) {
            yxtest::saveScreenshot(ask, QStringLiteral("enter_password_dialog"));
            click(ask, res::IDOK);
            emptyRefused = m_prompt->shown("请输入密码！") && ask->isVisible();
            typeInto(ask, res::IDC_ENTER_PASSWORD, password);
            QTest::keyClick(control<QLineEdit>(ask, res::IDC_ENTER_PASSWORD), Qt::Key_Return);
        });
        m_prompt->defaultYes = false;
        DecryptFlowOutcome outcome;
        QCOMPARE(DecryptFile(q(file), nullptr, &outcome), 1);
        QVERIFY(emptyRefused);
        QCOMPARE(exists(path("report.doc")), written);
        if (written) {
            QCOMPARE(yxtest::readFile(path("report.doc")), m_original);
            QCOMPARE(m_prompt->texts(),
                     (std::vector<std::string>{"请输入密码！", "解密成功，是否打开解密文件？"}));
        } else {
            QCOMPARE(m_prompt->texts(), (std::vector<std::string>{"请输入密码！", "口令错误！"}));
        }
    }

    void flow_passwordCancelledWritesNothing() {
        const std::string file = encrypted({&m_pki->me}, "pw");
        onModal(QStringLiteral("227"), [](QDialog* dialog) { click(dialog, res::IDOK); });
        onModal(QStringLiteral("247"), [](QDialog* ask) { QTest::keyClick(ask, Qt::Key_Escape); });
        DecryptFlowOutcome outcome;
        QCOMPARE(DecryptFile(q(file), nullptr, &outcome), 0);
        QVERIFY(!outcome.ran);
        QCOMPARE(m_prompt->texts(), (std::vector<std::string>{"解密失败！"}));
        QVERIFY(m_prompt->messages[0].icon == MsgIcon::Information);
        QVERIFY(!exists(path("report.doc")));
    }

    void flow_damagedPayloadIsReported() {
        const std::string file = encrypted({&m_pki->me});
        {
            QFile f(q(file));
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.resize(f.size() - 13)); // cut inside the last block
        }
        onModal(QStringLiteral("227"), [](QDialog* dialog) { click(dialog, res::IDOK); });
        DecryptFlowOutcome outcome;
        QCOMPARE(DecryptFile(q(file), nullptr, &outcome), 1);
        QVERIFY(outcome.runResult != 0);
        QVERIFY(!m_prompt->shown("解密成功，是否打开解密文件？"));
        QCOMPARE(m_prompt->messages.size(), size_t(1));
        QVERIFY(m_prompt->messages[0].icon == MsgIcon::Error);
        QVERIFY(!exists(path("report.doc")));
    }

    void flow_version1IsRefused() {
        const std::string file =
            yxtest::writeFile(dir(), "old.kvx", std::string("KavexFileType=1;") + "payload");
        onModal(QStringLiteral("227"), [](QDialog* dialog) { click(dialog, res::IDOK); });
        QCOMPARE(DecryptFile(q(file)), 0);
        QCOMPARE(m_prompt->texts(), (std::vector<std::string>{"调用加密函数失败，解密失败！"}));
        QVERIFY(m_prompt->messages[0].icon == MsgIcon::Error);
        QVERIFY(!exists(path("old")));
    }

    void flow_cancelledDialogEndsTheOperation() {
        const std::string file = encrypted({&m_pki->me});
        onModal(QStringLiteral("227"), [](QDialog* dialog) { click(dialog, res::IDCANCEL); });
        QCOMPARE(DecryptFile(q(file)), 0);
        QVERIFY(m_prompt->messages.empty());
        QVERIFY(!exists(path("report.doc")));
    }

    void enterPassword_emptyIsRefused() {
        CDlgEnterPassword ask;
        ask.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ask));
        QCOMPARE(control<QLineEdit>(&ask, res::IDC_ENTER_PASSWORD)->echoMode(), QLineEdit::Password);
        click(&ask, res::IDOK);
        QCOMPARE(m_prompt->texts(), (std::vector<std::string>{"请输入密码！"}));
        QVERIFY(m_prompt->messages[0].icon == MsgIcon::Warning);
        QVERIFY(ask.isVisible());
        typeInto(&ask, res::IDC_ENTER_PASSWORD, QStringLiteral("x"));
        click(&ask, res::IDOK);
        QCOMPARE(ask.result(), int(QDialog::Accepted));
        QCOMPARE(ask.password(), QStringLiteral("x"));
    }

    void properties_version2() {
        const std::string file = encrypted({&m_pki->alice, &m_pki->me}, "pw");
        CDlgSecureFileProp dialog(q(" \"" + file + "\""));
        QCOMPARE(dialog.path(), q(file));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.objectName(), QStringLiteral("261"));
        QCOMPARE(control<QLabel>(&dialog, res::IDC_PROP_FILE_TYPE)->text(),
                 QStringLiteral("加密文件(Version 2.0)"));
        QCOMPARE(control<QLabel>(&dialog, res::IDC_PROP_EXTENSION)->text(), QStringLiteral(".doc"));
        QCOMPARE(control<QLabel>(&dialog, res::IDC_PROP_SIZE)->text(),
                 QStringLiteral("%1 Byte").arg(m_original.size()));
        QCOMPARE(control<QLabel>(&dialog, res::IDC_PROP_ALGORITHM)->text(), QStringLiteral("RSA-3DES"));
        QCOMPARE(control<QLabel>(&dialog, res::IDC_PROP_PROTECTION)->text(),
                 QStringLiteral("已设置密码保护"));
        auto* list = control<QListWidget>(&dialog, res::IDC_PROP_RECIPIENTS);
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("李四"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("张三"));
        yxtest::saveScreenshot(&dialog, QStringLiteral("secure_file_properties"));
        click(&dialog, res::IDOK);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void properties_otherFiles_data() {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QStringList>("texts"); // 211, 204, 201, 205, 212
        QTest::newRow("not encrypted")
            << QStringLiteral("hello") << QStringList({"文件格式错误!", "", "", "", ""});
        QTest::newRow("version 1") << QStringLiteral("KavexFileType=1;abc")
                                   << QStringList(
                                          {"加密文件(Version 1.0)", "", "", "RSA-3DES", "未设置密码保护"});
    }
    void properties_otherFiles() {
        QFETCH(QString, content);
        QFETCH(QStringList, texts);
        const std::string file = yxtest::writeFile(dir(), "f.kvx", s(content));
        CDlgSecureFileProp dialog(q(file));
        const int ids[] = {res::IDC_PROP_FILE_TYPE, res::IDC_PROP_EXTENSION, res::IDC_PROP_SIZE,
                           res::IDC_PROP_ALGORITHM, res::IDC_PROP_PROTECTION};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(control<QLabel>(&dialog, ids[i])->text(), texts[i]);
        QCOMPARE(control<QListWidget>(&dialog, res::IDC_PROP_RECIPIENTS)->count(), 0);
    }

    void properties_flowRunsTheDialog() {
        const std::string file = encrypted({&m_pki->me});
        QString shown;
        onModal(QStringLiteral("261"), [&](QDialog* dialog) {
            shown = control<QLabel>(dialog, res::IDC_PROP_FILE_TYPE)->text();
            click(dialog, res::IDOK);
        });
        ShowSecureFileProperties(q(file));
        QCOMPARE(shown, QStringLiteral("加密文件(Version 2.0)"));
    }
};

QTEST_MAIN(DecryptDialogTest)
#include "DecryptDialogTest.moc"
