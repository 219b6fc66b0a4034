// The encrypt dialog, its protection password dialog, the certificate chooser, the default
// encryption certificate tab, and the encrypt flow the page and the command line run.
#include "EncTestKit.h"

#include "DecryptHeadReader.h"
#include "dialogs/DlgEncryptFile.h"
#include "dialogs/DlgProtectPassword.h"
#include "dialogs/DlgSelectCert.h"
#include "dialogs/EncCertTab.h"
#include "dialogs/EncDialogIds.h"
#include "encryption/EncryptFlow.h"

#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

using namespace enctest;
using namespace yx;

namespace {

QStringList headerTexts(QTreeWidget* list) {
    QStringList out;
    for (int c = 0; c < list->columnCount(); ++c)
        out << list->headerItem()->text(c);
    return out;
}

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

    void initialisation_fillsFieldsListAndDefault() {
        CCertList list;
        auto dialog = shownDialog(list, QStringLiteral("  \"/data/a/report.doc\""));
        QVERIFY(dialog);
        QCOMPARE(dialog->objectName(), QStringLiteral("225"));
        QCOMPARE(control<QLineEdit>(dialog.get(), res::IDC_ENC_SOURCE)->text(),
                 QStringLiteral("/data/a/report.doc"));
        QCOMPARE(control<QLineEdit>(dialog.get(), res::IDC_ENC_TARGET)->text(),
                 QStringLiteral("/data/a/report.doc.kvx"));
        auto* others = control<QTreeWidget>(dialog.get(), res::IDC_ENC_OTHER_LIST);
        QCOMPARE(headerTexts(others),
                 QStringList({"颁发给", "颁发者", "截止日期", "好记的名字", "证书状态"}));
        QCOMPARE(others->columnWidth(0), 160);
        QCOMPARE(others->topLevelItemCount(), 2);
        QCOMPARE(others->topLevelItem(0)->text(0), QStringLiteral("李四"));
        QCOMPARE(others->topLevelItem(0)->text(1), QStringLiteral("钥匣测试根CA"));
        QVERIFY(!others->topLevelItem(0)->text(2).isEmpty());
        QVERIFY(others->topLevelItem(0)->text(4).isEmpty()); // the status column stays empty
        QCOMPARE(others->topLevelItem(1)->text(0), QStringLiteral("王五"));
        QCOMPARE(others->topLevelItem(1)->checkState(0), Qt::Unchecked);
        auto* name = control<QLineEdit>(dialog.get(), res::IDC_ENC_DEFAULT_NAME);
        QCOMPARE(name->text(), QStringLiteral("张三"));
        QVERIFY(name->isReadOnly());
        QVERIFY(control<QPushButton>(dialog.get(), res::IDC_ENC_DEFAULT_VIEW)->isEnabled());
        QVERIFY(!control<QPushButton>(dialog.get(), res::IDC_ENC_OTHER_VIEW)->isEnabled());
        QCOMPARE(control<QPushButton>(dialog.get(), res::IDOK)->text(), QStringLiteral("加密"));
        QCOMPARE(control<QCheckBox>(dialog.get(), res::IDC_ENC_PROTECT)->text(),
                 QStringLiteral("设置保护密码"));
        others->topLevelItem(0)->setCheckState(0, Qt::Checked);
        yxtest::saveScreenshot(dialog.get(), QStringLiteral("encrypt_dialog"));
    }

    void initialisation_defaultGoneFromStoreShowsNoName() {
        setDefaultCert(thumbOf(m_pki->stranger));
        CCertList list;
        auto dialog = shownDialog(list);
        QVERIFY(dialog);
        QVERIFY(control<QLineEdit>(dialog.get(), res::IDC_ENC_DEFAULT_NAME)->text().isEmpty());
        QVERIFY(!control<QPushButton>(dialog.get(), res::IDC_ENC_DEFAULT_VIEW)->isEnabled());
    }

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
        QCOMPARE(q(m_prompt->messages[0].caption), QStringLiteral("钥匣"));
        QCOMPARE(int(m_prompt->messages[0].icon), icon);
        QVERIFY(dialog->isVisible());
        QCOMPARE(list.GetCount(), 0);
        // The paths were trimmed and shown again.
        QCOMPARE(control<QLineEdit>(dialog.get(), res::IDC_ENC_TARGET)->text(), target.trimmed());
    }

    // Enter in a field is OK; Esc cancels.
    void keyboard_enterIsOkEscIsCancel() {
        CCertList list;
        auto dialog = shownDialog(list);
        QVERIFY(dialog);
        QTest::keyClick(control<QLineEdit>(dialog.get(), res::IDC_ENC_SOURCE), Qt::Key_Return);
        QCOMPARE(m_prompt->texts(), (std::vector<std::string>{"请选择加密原始文件！"}));
        QVERIFY(dialog->isVisible());
        QTest::keyClick(control<QLineEdit>(dialog.get(), res::IDC_ENC_SOURCE), Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
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

    // OK fills the list: the default certificate first, then the checked rows in row order.
    void ok_fillsListDefaultFirstThenCheckedRows() {
        const std::string source = yxtest::writeFile(dir(), "src.txt", std::string("hello"));
        CCertList list;
        auto dialog = shownDialog(list, q(source));
        QVERIFY(dialog);
        auto* others = control<QTreeWidget>(dialog.get(), res::IDC_ENC_OTHER_LIST);
        others->topLevelItem(1)->setCheckState(0, Qt::Checked);
        others->topLevelItem(0)->setCheckState(0, Qt::Checked);
        control<QCheckBox>(dialog.get(), res::IDC_ENC_DELETE_SOURCE)->setChecked(true);
        click(dialog.get(), res::IDOK);
        QVERIFY(m_prompt->messages.empty());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(list.GetCount(), 3);
        std::string t0, t1, t2;
        list.GetAt(0)->getThumbPrint(t0);
        list.GetAt(1)->getThumbPrint(t1);
        list.GetAt(2)->getThumbPrint(t2);
        QCOMPARE(q(t0), q(thumbOf(m_pki->me)));
        QCOMPARE(q(t1), q(thumbOf(m_pki->alice)));
        QCOMPARE(q(t2), q(thumbOf(m_pki->bob)));
        QCOMPARE(dialog->sourcePath(), q(source));
        QCOMPARE(dialog->targetPath(), q(source + ".kvx"));
        QVERIFY(dialog->deleteSource());
        QVERIFY(dialog->password().isEmpty());
    }

    // The protection box opens the password dialog on each check; Cancel clears the box.
    void protection_passwordDialogValidationAndCancel() {
        const std::string source = yxtest::writeFile(dir(), "src.txt", std::string("hello"));
        CCertList list;
        auto dialog = shownDialog(list, q(source));
        QVERIFY(dialog);
        std::vector<std::string> seenInDialog;
        bool shot = false;
        onModal(QStringLiteral("226"), [&](QDialog* pw) {
            shot = !yxtest::saveScreenshot(pw, QStringLiteral("protect_password_dialog")).isNull();
            QCOMPARE(pw->windowTitle(), QStringLiteral("设置保护密码"));
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
        Q_UNUSED(shot);
    }

    void protection_passwordKeptWhenBoxChecked() {
        const std::string source = yxtest::writeFile(dir(), "src.txt", std::string("hello"));
        CCertList list;
        auto dialog = shownDialog(list, q(source));
        QVERIFY(dialog);
        onModal(QStringLiteral("226"), [](QDialog* pw) {
            typeInto(pw, res::IDC_PROTECT_PASSWORD, QStringLiteral("机密"));
            typeInto(pw, res::IDC_PROTECT_CONFIRM, QStringLiteral("机密"));
            QTest::keyClick(control<QLineEdit>(pw, res::IDC_PROTECT_CONFIRM), Qt::Key_Return);
        });
        QTest::mouseClick(control<QCheckBox>(dialog.get(), res::IDC_ENC_PROTECT), Qt::LeftButton);
        click(dialog.get(), res::IDOK);
        QCOMPARE(dialog->password(), QStringLiteral("机密"));
    }

    // "更改..." offers every personal certificate and writes the choice at once.
    void change_writesProgramWideDefaultAtOnce() {
        CCertList list;
        auto dialog = shownDialog(list);
        QVERIFY(dialog);
        int rowsOffered = -1;
        QString title;
        onModal(QStringLiteral("220"), [&](QDialog* chooser) {
            title = chooser->windowTitle();
            auto* rows = control<QTreeWidget>(chooser, res::IDC_SELCERT_LIST);
            rowsOffered = rows->topLevelItemCount();
            for (int i = 0; i < rows->topLevelItemCount(); ++i)
                if (rows->topLevelItem(i)->text(0) == QStringLiteral("张三签名"))
                    rows->setCurrentItem(rows->topLevelItem(i));
            yxtest::saveScreenshot(chooser, QStringLiteral("select_cert_dialog"));
            click(chooser, res::IDOK);
        });
        click(dialog.get(), res::IDC_ENC_DEFAULT_CHANGE);
        QCOMPARE(title, QStringLiteral("设置默认的加密证书"));
        QCOMPARE(rowsOffered, 2); // the signing-only certificate too
        QCOMPARE(control<QLineEdit>(dialog.get(), res::IDC_ENC_DEFAULT_NAME)->text(),
                 QStringLiteral("张三签名"));
        QVERIFY(control<QPushButton>(dialog.get(), res::IDC_ENC_DEFAULT_VIEW)->isEnabled());
        QCOMPARE(q(defaultCertSetting()), q(thumbOf(m_pki->signer)));
        click(dialog.get(), res::IDCANCEL);
        QCOMPARE(q(defaultCertSetting()), q(thumbOf(m_pki->signer))); // stays after Cancel
    }

    void choosers_requestsAndResults() {
        CCertList list;
        auto dialog = shownDialog(list);
        QVERIFY(dialog);
        m_prompt->chooseFileAnswer(path("报告.doc"));
        click(dialog.get(), res::IDC_ENC_SOURCE_BROWSE);
        QCOMPARE(control<QLineEdit>(dialog.get(), res::IDC_ENC_SOURCE)->text(), q(path("报告.doc")));
        QCOMPARE(control<QLineEdit>(dialog.get(), res::IDC_ENC_TARGET)->text(), q(path("报告.doc.kvx")));
        m_prompt->chooseFileAnswer(path("其他.kvx"));
        click(dialog.get(), res::IDC_ENC_TARGET_BROWSE);
        QCOMPARE(control<QLineEdit>(dialog.get(), res::IDC_ENC_TARGET)->text(), q(path("其他.kvx")));
        click(dialog.get(), res::IDC_ENC_TARGET_BROWSE); // cancelled: nothing changes
        QCOMPARE(control<QLineEdit>(dialog.get(), res::IDC_ENC_TARGET)->text(), q(path("其他.kvx")));
        QCOMPARE(m_prompt->fileRequests.size(), size_t(3));
        QVERIFY(!m_prompt->fileRequests[0].save);
        QCOMPARE(q(m_prompt->fileRequests[0].filter), QStringLiteral("所有文件 (*.*)|*.*||"));
        QVERIFY(m_prompt->fileRequests[1].save);
        QCOMPARE(q(m_prompt->fileRequests[1].defaultSuffix), QStringLiteral("kvx"));
        QCOMPARE(q(m_prompt->fileRequests[1].filter), QStringLiteral("KVX 文件(*.kvx)|*.kvx||"));
    }

    // The view buttons start the certificate viewer on the right certificate.
    void view_buttonsAndDoubleClickShowCertificates() {
        CCertList list;
        auto dialog = shownDialog(list);
        QVERIFY(dialog);
        click(dialog.get(), res::IDC_ENC_DEFAULT_VIEW);
        QCOMPARE(m_prompt->programs.size(), size_t(1));
        QVERIFY(m_prompt->programs[0].wait);
        auto* others = control<QTreeWidget>(dialog.get(), res::IDC_ENC_OTHER_LIST);
        others->setCurrentItem(others->topLevelItem(1));
        QVERIFY(control<QPushButton>(dialog.get(), res::IDC_ENC_OTHER_VIEW)->isEnabled());
        click(dialog.get(), res::IDC_ENC_OTHER_VIEW);
        QCOMPARE(m_prompt->programs.size(), size_t(2));
        const QRect rect = others->visualItemRect(others->topLevelItem(0));
        const QPoint inRow = rect.center() + QPoint(40, 0); // beside the check box
        QTest::mouseClick(others->viewport(), Qt::LeftButton, {}, inRow);
        QTest::mouseDClick(others->viewport(), Qt::LeftButton, {}, inRow);
        QCOMPARE(m_prompt->programs.size(), size_t(3));
        QCOMPARE(others->topLevelItem(0)->checkState(0), Qt::Unchecked);
        others->clearSelection(); // a click on empty space

        QVERIFY(!control<QPushButton>(dialog.get(), res::IDC_ENC_OTHER_VIEW)->isEnabled());
    }

    void selectCert_columnsAndButtonsFollowTheSelection() {
        CMyCertStore my;
        my.OpenCertStore();
        CDlgSelectCert chooser(&my, QStringLiteral("选一个"));
        chooser.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chooser));
        QCOMPARE(chooser.windowTitle(), QStringLiteral("选一个"));
        auto* rows = control<QTreeWidget>(&chooser, res::IDC_SELCERT_LIST);
        QCOMPARE(headerTexts(rows), QStringList({"颁发给", "颁发者", "预期目的", "好记的名字", "截止日期"}));
        QCOMPARE(rows->topLevelItemCount(), 2);
        QCOMPARE(rows->topLevelItem(0)->text(0), QStringLiteral("张三"));
        QCOMPARE(rows->topLevelItem(0)->text(3), QStringLiteral("我的加密证书"));
        QVERIFY(rows->topLevelItem(0)->text(2).isEmpty());
        QVERIFY(!control<QPushButton>(&chooser, res::IDOK)->isEnabled());
        QVERIFY(!control<QPushButton>(&chooser, res::IDC_SELCERT_VIEW)->isEnabled());
        QCOMPARE(chooser.selection(), -1);
        rows->setCurrentItem(rows->topLevelItem(1));
        QCOMPARE(chooser.selection(), 1);
        QVERIFY(control<QPushButton>(&chooser, res::IDOK)->isEnabled());
        click(&chooser, res::IDC_SELCERT_VIEW);
        QCOMPARE(m_prompt->programs.size(), size_t(1));
        rows->clearSelection(); // a click on empty space
        QCOMPARE(chooser.selection(), -1);
        QVERIFY(!control<QPushButton>(&chooser, res::IDOK)->isEnabled());
        QVERIFY(!control<QPushButton>(&chooser, res::IDC_SELCERT_VIEW)->isEnabled());
    }

    // The tab reads the setting (spaces ignored), offers encryption certificates only and gives
    // the configuration dialog the value to write.
    void encCertTab_readsChoosesAndWritesSetting() {
        std::string spaced = thumbOf(m_pki->me);
        for (size_t i = 4; i < spaced.size(); i += 5)
            spaced.insert(i, " ");
        setDefaultCert(spaced);
        CEncCertTab tab;
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));
        QCOMPARE(tab.objectName(), QStringLiteral("229"));
        QCOMPARE(control<QLineEdit>(&tab, res::IDC_ENCTAB_NAME)->text(), QStringLiteral("张三"));
        QVERIFY(control<QPushButton>(&tab, res::IDC_ENCTAB_VIEW)->isEnabled());
        yxtest::saveScreenshot(&tab, QStringLiteral("enc_cert_tab"));

        QStringList offered;
        onModal(QStringLiteral("220"), [&](QDialog* chooser) {
            auto* rows = control<QTreeWidget>(chooser, res::IDC_SELCERT_LIST);
            for (int i = 0; i < rows->topLevelItemCount(); ++i)
                offered << rows->topLevelItem(i)->text(0);
            rows->setCurrentItem(rows->topLevelItem(0));
            click(chooser, res::IDOK);
        });
        click(&tab, res::IDC_ENCTAB_CHOOSE);
        QCOMPARE(offered, QStringList({"张三"})); // not the signing-only certificate
        QCOMPARE(q(tab.settingValue()), q(thumbOf(m_pki->me)));
        setDefaultCert("");
        QVERIFY(tab.WriteSetting());
        QCOMPARE(q(defaultCertSetting()), q(thumbOf(m_pki->me)));
        click(&tab, res::IDC_ENCTAB_VIEW);
        QCOMPARE(m_prompt->programs.size(), size_t(1));
    }

    void encCertTab_unknownDefaultWritesEmpty() {
        setDefaultCert(thumbOf(m_pki->stranger));
        CEncCertTab tab;
        QVERIFY(control<QLineEdit>(&tab, res::IDC_ENCTAB_NAME)->text().isEmpty());
        QVERIFY(!control<QPushButton>(&tab, res::IDC_ENCTAB_VIEW)->isEnabled());
        QVERIFY(tab.WriteSetting());
        QCOMPARE(q(defaultCertSetting()), QString());
        // A chooser cancelled changes nothing.
        onModal(QStringLiteral("220"), [](QDialog* chooser) { click(chooser, res::IDCANCEL); });
        click(&tab, res::IDC_ENCTAB_CHOOSE);
        QVERIFY(tab.settingValue().empty());
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
