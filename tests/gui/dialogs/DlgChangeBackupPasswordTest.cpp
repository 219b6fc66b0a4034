// The backup password dialog on real PFX files: checks in order, the overwrite question, every
// result of the password change with its message, and the choosers keeping typed passwords.
#include "CertDialogTestKit.h"
#include "GuiTestEnv.h"
#include "TestPki.h"

#include "PfxFile.h"
#include "dialogs/DlgChangeBackupPassword.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace yxtest;
using yx::MsgAnswer;
using yx::MsgButtons;
using yx::MsgIcon;

namespace {

enum Id {
    kSourceBrowse = 1020,
    kSourcePath = 1021,
    kSourcePassword = 1022,
    kTargetBrowse = 1004,
    kTargetPath = 1014,
    kNewPassword = 1023,
    kConfirm = 1015,
};

std::string s(const QString& text) {
    return text.toStdString();
}

// What a file can be opened with: 0 when `password` opens it.
int openWith(const QString& path, const char* password) {
    yx::PfxContents contents;
    return yx::readPfx(readFile(s(path)), password, contents);
}

} // namespace

class DlgChangeBackupPasswordTest : public QObject {
    Q_OBJECT

    ScopedGuiEnv m_env;
    RecordingPrompt m_prompt;
    TestCa m_ca;
    Issued m_user = m_ca.issue(CertProfile{});
    QString m_source; // protected with "旧口令"

    QString file(const QString& name) const { return m_env.root() + QLatin1Char('/') + name; }

    void fill(CDlgChangeBackupPassword& dlg, const QString& source, const QString& sourcePassword,
              const QString& target, const QString& newPassword, const QString& confirm) {
        typeInto(&dlg, kSourcePath, source);
        typeInto(&dlg, kSourcePassword, sourcePassword);
        typeInto(&dlg, kTargetPath, target);
        typeInto(&dlg, kNewPassword, newPassword);
        typeInto(&dlg, kConfirm, confirm);
    }

private slots:
    void initTestCase() {
        m_source = QString::fromStdString(writeFile(
            s(m_env.root()), "备份.pfx",
            makePfx(m_user.key.get(), m_user.cert.get(), {m_ca.cert()}, "旧口令", PfxKind::TripleDes)));
    }
    void init() { m_prompt.clear(); }

    void layout() {
        CDlgChangeBackupPassword dlg;
        QCOMPARE(CDlgChangeBackupPassword::IDD, 177);
        QCOMPARE(dlg.objectName(), QStringLiteral("177"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("修改证书备份密码"));
        QStringList groups;
        for (QGroupBox* box : dlg.findChildren<QGroupBox*>())
            groups << box->title();
        QCOMPARE(groups, (QStringList{QStringLiteral("源文件"), QStringLiteral("目标文件\u3000")}));
        QStringList labels;
        for (QLabel* label : dlg.findChildren<QLabel*>())
            labels << label->text();
        for (const char* text : {"源文件", "源文件密码", "目标文件", "新密码", "新密码确认"})
            QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
        QCOMPARE(control<QPushButton>(&dlg, kSourceBrowse)->text(), QStringLiteral("选择..."));
        QCOMPARE(control<QPushButton>(&dlg, kTargetBrowse)->text(), QStringLiteral("选择..."));
        QCOMPARE(control<QPushButton>(&dlg, yx::res::IDOK)->text(), QStringLiteral("确定"));
        QCOMPARE(control<QPushButton>(&dlg, yx::res::IDCANCEL)->text(), QStringLiteral("取消"));
        for (int id : {kSourcePassword, kNewPassword, kConfirm})
            QCOMPARE(control<QLineEdit>(&dlg, id)->echoMode(), QLineEdit::Password);
        for (int id : {kSourcePath, kSourcePassword, kTargetPath, kNewPassword, kConfirm})
            QCOMPARE(textOf(&dlg, id), QString());
        dlg.show();
        saveScreenshot(&dlg, QStringLiteral("DlgChangeBackupPassword"));
    }

    void emptyPaths() {
        CDlgChangeBackupPassword dlg;
        dlg.show();
        clickId(&dlg, yx::res::IDOK);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "文件名不能为空！", "钥匣", MsgIcon::Error, MsgButtons::Ok);
        // Only the target missing is the same failure, even though the source is missing too.
        m_prompt.clear();
        typeInto(&dlg, kSourcePath, file(QStringLiteral("不存在.pfx")));
        clickId(&dlg, yx::res::IDOK);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "文件名不能为空！", "钥匣", MsgIcon::Error, MsgButtons::Ok);
        QVERIFY(dlg.isVisible());
    }

    void sourceMissingBeforePasswordMismatch() {
        CDlgChangeBackupPassword dlg;
        dlg.show();
        fill(dlg, file(QStringLiteral("不存在.pfx")), {}, file(QStringLiteral("t.pfx")), QStringLiteral("a"),
             QStringLiteral("b"));
        clickId(&dlg, yx::res::IDOK);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "您所要更改的源文件不存在！", "钥匣", MsgIcon::Error, MsgButtons::Ok);
        QVERIFY(dlg.isVisible());
    }

    void passwordMismatchBeforeOverwrite() {
        const QString target = file(QStringLiteral("已有目标.pfx"));
        writeFile(s(m_env.root()), "已有目标.pfx", std::string("old"));
        CDlgChangeBackupPassword dlg;
        dlg.show();
        fill(dlg, m_source, QStringLiteral("旧口令"), target, QStringLiteral("New"), QStringLiteral("new"));
        clickId(&dlg, yx::res::IDOK);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "新密码和确认密码不一致!", "钥匣", MsgIcon::Error, MsgButtons::Ok);
        QVERIFY(dlg.isVisible());
    }

    void overwriteNoKeepsTarget() {
        const QString target = file(QStringLiteral("保留.pfx"));
        writeFile(s(m_env.root()), "保留.pfx", std::string("keep me"));
        CDlgChangeBackupPassword dlg;
        dlg.show();
        fill(dlg, m_source, QStringLiteral("旧口令"), target, QStringLiteral("新"), QStringLiteral("新"));
        m_prompt.answer(MsgAnswer::No);
        clickId(&dlg, yx::res::IDOK);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "您所指定的文件已经存在，要覆盖它吗？", "钥匣", MsgIcon::Warning,
                              MsgButtons::YesNo);
        QVERIFY(dlg.isVisible());
        QCOMPARE(readFile(s(target)), Bytes({'k', 'e', 'e', 'p', ' ', 'm', 'e'}));
    }

    void overwriteYesChangesPassword() {
        const QString target = file(QStringLiteral("覆盖.pfx"));
        writeFile(s(m_env.root()), "覆盖.pfx", std::string("old"));
        CDlgChangeBackupPassword dlg;
        dlg.show();
        fill(dlg, m_source, QStringLiteral("旧口令"), target, QStringLiteral("新口令"),
             QStringLiteral("新口令"));
        m_prompt.answer(MsgAnswer::Yes);
        clickId(&dlg, yx::res::IDOK);
        QCOMPARE(m_prompt.messages.size(), size_t(2));
        QCOMPARE(q(m_prompt.messages[1].text), QStringLiteral("修改备份密码成功！"));
        QCOMPARE(q(m_prompt.messages[1].caption), QStringLiteral("钥匣"));
        QVERIFY(m_prompt.messages[1].icon == MsgIcon::Information);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
        QCOMPARE(openWith(target, "新口令"), 0);
        QVERIFY(openWith(target, "旧口令") != 0);
        QCOMPARE(openWith(m_source, "旧口令"), 0); // the source is left as it was
    }

    void successToNewFile() {
        const QString target = file(QStringLiteral("新文件.pfx"));
        CDlgChangeBackupPassword dlg;
        dlg.show();
        fill(dlg, m_source, QStringLiteral("旧口令"), target, QStringLiteral("x"), QStringLiteral("x"));
        clickId(&dlg, yx::res::IDOK);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "修改备份密码成功！", "钥匣", MsgIcon::Information, MsgButtons::Ok);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(openWith(target, "x"), 0);
    }

    void emptyPasswordsAccepted() {
        const QString source = QString::fromStdString(
            writeFile(s(m_env.root()), "无口令.pfx",
                      makePfx(m_user.key.get(), m_user.cert.get(), {}, "", PfxKind::TripleDes)));
        const QString target = file(QStringLiteral("无口令副本.pfx"));
        CDlgChangeBackupPassword dlg;
        dlg.show();
        fill(dlg, source, {}, target, {}, {});
        clickId(&dlg, yx::res::IDOK);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "修改备份密码成功！", "钥匣", MsgIcon::Information, MsgButtons::Ok);
        QCOMPARE(openWith(target, ""), 0);
    }

    void notAPfxFile() {
        const QString source =
            QString::fromStdString(writeFile(s(m_env.root()), "文本.pfx", std::string("no pfx")));
        const QString target = file(QStringLiteral("t6.pfx"));
        CDlgChangeBackupPassword dlg;
        dlg.show();
        fill(dlg, source, QStringLiteral("p"), target, QStringLiteral("n"), QStringLiteral("n"));
        clickId(&dlg, yx::res::IDOK);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "备份失败，文件格式错误！", "钥匣", MsgIcon::Error, MsgButtons::Ok);
        QVERIFY(dlg.isVisible());
        QVERIFY(!QFile::exists(target));
        // The entered values stay in the fields.
        QCOMPARE(textOf(&dlg, kSourcePath), source);
        QCOMPARE(textOf(&dlg, kSourcePassword), QStringLiteral("p"));
        QCOMPARE(textOf(&dlg, kTargetPath), target);
        QCOMPARE(textOf(&dlg, kNewPassword), QStringLiteral("n"));
        QCOMPARE(textOf(&dlg, kConfirm), QStringLiteral("n"));
    }

    void wrongSourcePassword() {
        const QString target = file(QStringLiteral("t7.pfx"));
        CDlgChangeBackupPassword dlg;
        dlg.show();
        fill(dlg, m_source, QStringLiteral("错的"), target, QStringLiteral("n"), QStringLiteral("n"));
        clickId(&dlg, yx::res::IDOK);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "备份失败，源文件口令错误！", "钥匣", MsgIcon::Error, MsgButtons::Ok);
        QVERIFY(dlg.isVisible());
    }

    void targetCannotBeCreated() {
        const QString target = file(QStringLiteral("没有的目录/t13.pfx"));
        CDlgChangeBackupPassword dlg;
        dlg.show();
        fill(dlg, m_source, QStringLiteral("旧口令"), target, QStringLiteral("n"), QStringLiteral("n"));
        clickId(&dlg, yx::res::IDOK);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "备份失败，生成目标文件错误！", "钥匣", MsgIcon::Error,
                              MsgButtons::Ok);
        QVERIFY(dlg.isVisible());
    }

    void choosersKeepTypedPasswords() {
        CDlgChangeBackupPassword dlg;
        dlg.show();
        typeInto(&dlg, kSourcePassword, QStringLiteral("源"));
        typeInto(&dlg, kNewPassword, QStringLiteral("新"));
        typeInto(&dlg, kConfirm, QStringLiteral("新确认"));
        m_prompt.chooseFileAnswer(s(m_source));
        clickId(&dlg, kSourceBrowse);
        m_prompt.chooseFileAnswer(s(file(QStringLiteral("目标.pfx"))));
        clickId(&dlg, kTargetBrowse);

        QCOMPARE(m_prompt.fileRequests.size(), size_t(2));
        QVERIFY(!m_prompt.fileRequests[0].save);
        QVERIFY(m_prompt.fileRequests[1].save);
        for (const yx::FileChooserRequest& req : m_prompt.fileRequests) {
            QCOMPARE(q(req.filter), QStringLiteral("PFX Files (*.pfx)|*.pfx||"));
            QCOMPARE(q(req.defaultSuffix), QStringLiteral("pfx"));
        }
        QCOMPARE(textOf(&dlg, kSourcePath), m_source);
        QCOMPARE(textOf(&dlg, kTargetPath), file(QStringLiteral("目标.pfx")));
        QCOMPARE(textOf(&dlg, kSourcePassword), QStringLiteral("源"));
        QCOMPARE(textOf(&dlg, kNewPassword), QStringLiteral("新"));
        QCOMPARE(textOf(&dlg, kConfirm), QStringLiteral("新确认"));

        // A cancelled chooser changes nothing.
        clickId(&dlg, kTargetBrowse);
        QCOMPARE(textOf(&dlg, kTargetPath), file(QStringLiteral("目标.pfx")));
        QVERIFY(m_prompt.messages.empty());
    }
};

QTEST_MAIN(DlgChangeBackupPasswordTest)
#include "DlgChangeBackupPasswordTest.moc"
