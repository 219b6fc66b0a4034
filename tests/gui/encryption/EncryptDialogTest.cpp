// The encrypt dialog's decisions (validation order, the overwrite question), its protection password
// dialog, and the encrypt flow the page and the command line run (".kvx" appended or not).
#include "EncTestKit.h"

#include "DecryptHeadReader.h"
#include "config/EncCertTab.h"
#include "dialogs/DlgSelectCert.h"
#include "encryption/DlgEncryptFile.h"
#include "encryption/DlgProtectPassword.h"
#include "encryption/EncDialogIds.h"
#include "encryption/EncryptFlow.h"

#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

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

} // namespace

class EncryptDialogTest : public QObject, public EncTestBase {
    Q_OBJECT

    // A shown encrypt dialog over `list`.
    std::unique_ptr<CDlgEncryptFile> shownDialog(CCertList& list, const QString& source = {}) {
        auto dialog = std::make_unique<CDlgEncryptFile>(&list);
        if (!source.isEmpty())
            dialog->SetSourcePath(source);
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get()))
            return nullptr;
        return dialog;
    }

private slots:
    void initTestCase() { m_pki = std::make_unique<Pki>(); }

    void init() {
        QVERIFY(setUpEnv());
        importPersonal(m_pki->me, dir(), "我的加密证书");
        importPersonal(m_pki->signer, dir());
        importOther(m_pki->alice, dir());
        importOther(m_pki->bob, dir());
        setDefaultCert(thumbOf(m_pki->me));
    }

    void cleanup() { tearDown(); }

    // OK checks in a fixed order, stops at the first failure, and leaves the dialog open.
    void ok_validationOrder_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("withDefault");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        const int info = int(MsgIcon::Information), error = int(MsgIcon::Error);
        QTest::newRow("nothing") << ""
                                 << "" << false << "请选择加密原始文件！" << info;
        QTest::newRow("blank source") << "   "
                                      << "t.kvx" << true << "请选择加密原始文件！" << info;
        QTest::newRow("blank target") << "@src"
                                      << " \t " << false << "请选择加密目标文件！" << info;
        QTest::newRow("no default") << "@missing"
                                    << "t.kvx" << false << "请配置默认的文件加密证书！" << info;
        QTest::newRow("missing source") << "@missing"
                                        << "t.kvx" << true << "您所指定的文件不存在！" << error;
        QTest::newRow("folder as source") << "@dir"
                                          << "t.kvx" << true << "您所指定的文件不存在！" << error;
    }
    void ok_validationOrder() {
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
        auto dialog = shownDialog(list);
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

    void ok_existingTargetAsksBeforeOverwriting_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("no") << false;
        QTest::newRow("yes") << true;
    }
    void ok_existingTargetAsksBeforeOverwriting() {
        QFETCH(bool, yes);
        const std::string source = yxtest::writeFile(dir(), "src.txt", std::string("hello"));
        const std::string target = yxtest::writeFile(dir(), "src.txt.kvx", std::string("old"));
        CCertList list;
        auto dialog = shownDialog(list, q(source));
        QVERIFY(dialog);
        m_prompt->answer(yes ? MsgAnswer::Yes : MsgAnswer::No);
        click(dialog.get(), res::IDOK);
        QCOMPARE(m_prompt->messages.size(), size_t(1));
        QCOMPARE(q(m_prompt->messages[0].text), QStringLiteral("您所指定加密的文件已经存在，要覆盖它吗？"));
        QVERIFY(m_prompt->messages[0].icon == MsgIcon::Warning);
        QVERIFY(m_prompt->messages[0].buttons == MsgButtons::YesNo);
        QCOMPARE(dialog->isVisible(), !yes);
        QCOMPARE(list.GetCount(), yes ? 1 : 0);
    }

    // The protection box opens the password dialog on each check; Cancel clears the box.
    void protection_passwordDialogValidationAndCancel() {
        const std::string source = yxtest::writeFile(dir(), "src.txt", std::string("hello"));
        CCertList list;
        auto dialog = shownDialog(list, q(source));
        QVERIFY(dialog);
        std::vector<std::string> seenInDialog;
        onModal(QStringLiteral("226"), [&](QDialog* pw) {
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
        onModal(QStringLiteral("226"), [](QDialog* pw) { click(pw, res::IDCANCEL); });
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(!box->isChecked());
        click(dialog.get(), res::IDOK);
        QVERIFY(dialog->password().isEmpty());
    }

    // The page's flow appends ".kvx" to a typed target; the overwrite question is about the file
    // it replaces. The command line's flow writes the target as typed.
    void flow_targetExtensionAndRecipients_data() {
        QTest::addColumn<bool>("appendKvx");
        QTest::addColumn<QString>("written");
        QTest::newRow("page") << true << "out.kvx";
        QTest::newRow("command line") << false << "out";
    }
    void flow_targetExtensionAndRecipients() {
        QFETCH(bool, appendKvx);
        QFETCH(QString, written);
        const std::string source = yxtest::writeFile(dir(), "src.txt", patternBytes(4000));
        yxtest::writeFile(dir(), "out.kvx", std::string("older file"));
        onModal(QStringLiteral("225"), [&](QDialog* dialog) {
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
            QCOMPARE(yxtest::readFile(path("out.kvx")),
                     Bytes({'o', 'l', 'd', 'e', 'r', ' ', 'f', 'i', 'l', 'e'}));
        QCOMPARE(m_prompt->offUiThread, 0);
    }

    void flow_quietAndCancelled() {
        const std::string source = yxtest::writeFile(dir(), "src.txt", patternBytes(100));
        onModal(QStringLiteral("225"), [](QDialog* dialog) { click(dialog, res::IDOK); });
        EncryptFlowOutcome outcome;
        QCOMPARE(RunEncryptFlow(q(source), EncryptFlowOptions{false, true}, nullptr, &outcome), 1);
        QVERIFY(m_prompt->messages.empty()); // quiet: no "加密成功！"
        QVERIFY(exists(source + ".kvx"));
        QVERIFY(outcome.recipientEmails.empty()); // the default certificate alone

        onModal(QStringLiteral("225"), [](QDialog* dialog) { click(dialog, res::IDCANCEL); });
        QCOMPARE(RunEncryptFlow(q(source), EncryptFlowOptions{}, nullptr, &outcome), 2);
        QVERIFY(!outcome.confirmed);
    }
};

QTEST_MAIN(EncryptDialogTest)
#include "EncryptDialogTest.moc"
