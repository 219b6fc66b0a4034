// The decrypt dialog's decisions (validation order, the overwrite question, no usable certificate),
// its password dialog (an empty password refused), and the decrypt flow end to end.
#include "EncTestKit.h"

#include "encryption/DecryptFlow.h"
#include "encryption/DlgDecryptFile.h"
#include "encryption/DlgSecureFileProp.h"
#include "encryption/EncDialogIds.h"
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

    void flow_version1IsRefused() {
        const std::string file =
            yxtest::writeFile(dir(), "old.kvx", std::string("KavexFileType=1;") + "payload");
        onModal(QStringLiteral("227"), [](QDialog* dialog) { click(dialog, res::IDOK); });
        QCOMPARE(DecryptFile(q(file)), 0);
        QCOMPARE(m_prompt->texts(), (std::vector<std::string>{"调用加密函数失败，解密失败！"}));
        QVERIFY(m_prompt->messages[0].icon == MsgIcon::Error);
        QVERIFY(!exists(path("old")));
    }
};

QTEST_MAIN(DecryptDialogTest)
#include "DecryptDialogTest.moc"
