// The five small certificate dialogs: PFX import and export, certificate import and export,
// friendly name. Their checks in order with the exact messages, the "..." choosers and the rule
// that a choice puts every field back to its last accepted value.
#include "CertDialogTestKit.h"
#include "GuiTestEnv.h"

#include "dialogs/DlgExportCert.h"
#include "dialogs/DlgExportPfx.h"
#include "dialogs/DlgFriendlyName.h"
#include "dialogs/DlgImportCert.h"
#include "dialogs/DlgImportPfx.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace yxtest;
namespace res = yx::res;
using yx::MsgAnswer;
using yx::MsgButtons;
using yx::MsgIcon;

namespace {

bool hasLabel(QWidget* dialog, const QString& text) {
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (label->text() == text)
            return true;
    return false;
}

void touch(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
}

} // namespace

class CertFileDialogsTest : public QObject {
    Q_OBJECT

    ScopedGuiEnv m_env;
    RecordingPrompt m_prompt;

    QString file(const QString& name) const { return m_env.root() + QLatin1Char('/') + name; }

private slots:
    void init() { m_prompt.clear(); }

    // ---- PFX import ----

    void importPfxLayout() {
        CDlgImportPfx dlg;
        QCOMPARE(CDlgImportPfx::IDD, 160);
        QCOMPARE(dlg.objectName(), QStringLiteral("160"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("导入证书"));
        QVERIFY(hasLabel(&dlg, QStringLiteral("请选择要导入的个人证书文件（.PFX）：")));
        QVERIFY(hasLabel(&dlg, QStringLiteral("保护口令：")));
        QVERIFY(hasLabel(&dlg, QStringLiteral("选择导入设备：")));
        QCOMPARE(control<QPushButton>(&dlg, res::IDOK)->text(), QStringLiteral("确定"));
        QCOMPARE(control<QPushButton>(&dlg, res::IDCANCEL)->text(), QStringLiteral("取消"));
        QCOMPARE(control<QPushButton>(&dlg, 1003)->text(), QStringLiteral("..."));
        QCOMPARE(textOf(&dlg, 1016), QString());
        QCOMPARE(control<QLineEdit>(&dlg, 1015)->echoMode(), QLineEdit::Password);

        // Exactly two providers, sorted: the empty entry first, the enhanced provider preselected.
        auto* providers = control<QComboBox>(&dlg, 1014);
        QCOMPARE(providers->count(), 2);
        QCOMPARE(providers->itemText(0), QString());
        QCOMPARE(providers->itemText(1), QStringLiteral("Microsoft Enhanced Cryptographic Provider v1.0"));
        QCOMPARE(providers->currentIndex(), 1);

        dlg.show();
        QVERIFY(control<QPushButton>(&dlg, res::IDOK)->isDefault());
        saveScreenshot(&dlg, QStringLiteral("DlgImportPfx"));
    }

    void importPfxOkChecksNothing() {
        CDlgImportPfx dlg;
        dlg.show();
        typeInto(&dlg, 1015, QStringLiteral("口令123"));
        clickId(&dlg, res::IDOK); // empty path: the page checks it, not the dialog
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(m_prompt.messages.empty());
        QCOMPARE(dlg.path(), QString());
        QCOMPARE(dlg.password(), QStringLiteral("口令123"));
        QCOMPARE(dlg.provider(), QStringLiteral("Microsoft Enhanced Cryptographic Provider v1.0"));
    }

    void importPfxEmptyProvider() {
        CDlgImportPfx dlg;
        dlg.show();
        typeInto(&dlg, 1016, QStringLiteral("/tmp/我的证书.pfx"));
        control<QComboBox>(&dlg, 1014)->setCurrentIndex(0);
        clickId(&dlg, res::IDOK);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.provider(), QString());
        QCOMPARE(dlg.path(), QStringLiteral("/tmp/我的证书.pfx"));
    }

    void importPfxChooserResetsTypedValues() {
        CDlgImportPfx dlg;
        dlg.show();
        typeInto(&dlg, 1015, QStringLiteral("secret"));
        control<QComboBox>(&dlg, 1014)->setCurrentIndex(0);
        m_prompt.chooseFileAnswer(utf8(file(QStringLiteral("备份.pfx"))));
        clickId(&dlg, 1003);

        QCOMPARE(m_prompt.fileRequests.size(), size_t(1));
        const yx::FileChooserRequest& req = m_prompt.fileRequests[0];
        QVERIFY(!req.save);
        QCOMPARE(q(req.filter), QStringLiteral("PFX Files (*.pfx)|*.pfx||"));
        QCOMPARE(q(req.defaultSuffix), QStringLiteral("pfx"));
        QVERIFY(!req.overwritePrompt);
        QVERIFY(req.initialPath.empty());

        QCOMPARE(textOf(&dlg, 1016), file(QStringLiteral("备份.pfx")));
        QCOMPARE(textOf(&dlg, 1015), QString()); // back to the value the dialog opened with
        QCOMPARE(control<QComboBox>(&dlg, 1014)->currentIndex(), 1);
        QVERIFY(m_prompt.messages.empty());
    }

    void importPfxCancelledChooserKeepsTypedValues() {
        CDlgImportPfx dlg;
        dlg.show();
        typeInto(&dlg, 1016, QStringLiteral("a.pfx"));
        typeInto(&dlg, 1015, QStringLiteral("secret"));
        clickId(&dlg, 1003); // no answer queued: cancelled
        QCOMPARE(m_prompt.fileRequests.size(), size_t(1));
        QCOMPARE(textOf(&dlg, 1016), QStringLiteral("a.pfx"));
        QCOMPARE(textOf(&dlg, 1015), QStringLiteral("secret"));
    }

    void importPfxCancel() {
        CDlgImportPfx dlg;
        dlg.show();
        clickId(&dlg, res::IDCANCEL);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isVisible());
    }

    // ---- PFX export ----

    void exportPfxLayout() {
        CDlgExportPfx dlg;
        QCOMPARE(CDlgExportPfx::IDD, 158);
        QCOMPARE(dlg.objectName(), QStringLiteral("158"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("导出证书"));
        QVERIFY(hasLabel(&dlg, QStringLiteral("请选择要导出的个人证书文件（.PFX）：")));
        QVERIFY(hasLabel(&dlg, QStringLiteral("密码:")));
        QVERIFY(hasLabel(&dlg, QStringLiteral("确认密码:")));
        QCOMPARE(textOf(&dlg, 1011), QString());
        QCOMPARE(control<QLineEdit>(&dlg, 1012)->echoMode(), QLineEdit::Password);
        QCOMPARE(control<QLineEdit>(&dlg, 1013)->echoMode(), QLineEdit::Password);
        dlg.show();
        saveScreenshot(&dlg, QStringLiteral("DlgExportPfx"));
    }

    void exportPfxEmptyPathFirst() {
        CDlgExportPfx dlg;
        dlg.show();
        // The passwords differ too, but the path is checked first.
        typeInto(&dlg, 1012, QStringLiteral("a"));
        typeInto(&dlg, 1013, QStringLiteral("b"));
        clickId(&dlg, res::IDOK);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "文件名不能为空！", "钥匣", MsgIcon::Warning, MsgButtons::Ok);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }

    void exportPfxPasswordsDifferInCase() {
        CDlgExportPfx dlg;
        dlg.show();
        typeInto(&dlg, 1011, file(QStringLiteral("new.pfx")));
        typeInto(&dlg, 1012, QStringLiteral("Secret"));
        typeInto(&dlg, 1013, QStringLiteral("secret"));
        clickId(&dlg, res::IDOK);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "密码不相同，请确保密码相同！", "钥匣", MsgIcon::Error,
                              MsgButtons::Ok);
        QVERIFY(dlg.isVisible());
    }

    void exportPfxEmptyPasswordsToNewPath() {
        CDlgExportPfx dlg;
        dlg.show();
        typeInto(&dlg, 1011, file(QStringLiteral("new")));
        clickId(&dlg, res::IDOK);
        QVERIFY(m_prompt.messages.empty()); // no question for a path that does not exist
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.path(), file(QStringLiteral("new")));
        QCOMPARE(dlg.password(), QString());
    }

    void exportPfxOverwriteNoThenYes() {
        const QString existing = file(QStringLiteral("已有.pfx"));
        touch(existing);
        CDlgExportPfx dlg;
        dlg.show();
        typeInto(&dlg, 1011, existing);
        typeInto(&dlg, 1012, QStringLiteral("p"));
        typeInto(&dlg, 1013, QStringLiteral("p"));

        m_prompt.answer(MsgAnswer::No);
        clickId(&dlg, res::IDOK);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "您所指定的文件已经存在，要覆盖它吗？", "钥匣", MsgIcon::Warning,
                              MsgButtons::YesNo);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));

        m_prompt.clear();
        m_prompt.answer(MsgAnswer::Yes);
        clickId(&dlg, res::IDOK);
        QCOMPARE(m_prompt.messages.size(), size_t(1));
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.path(), existing);
        QCOMPARE(dlg.password(), QStringLiteral("p"));
    }

    void exportPfxQuestionTestsTypedPathOnly() {
        // "x.pfx" exists, but the typed "x" does not: the page adds the extension later.
        touch(file(QStringLiteral("x.pfx")));
        CDlgExportPfx dlg;
        dlg.show();
        typeInto(&dlg, 1011, file(QStringLiteral("x")));
        clickId(&dlg, res::IDOK);
        QVERIFY(m_prompt.messages.empty());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    void exportPfxChooserResetsPasswords() {
        CDlgExportPfx dlg;
        dlg.show();
        typeInto(&dlg, 1012, QStringLiteral("one"));
        typeInto(&dlg, 1013, QStringLiteral("one"));
        m_prompt.chooseFileAnswer(utf8(file(QStringLiteral("out.pfx"))));
        clickId(&dlg, 1003);

        QCOMPARE(m_prompt.fileRequests.size(), size_t(1));
        const yx::FileChooserRequest& req = m_prompt.fileRequests[0];
        QVERIFY(req.save);
        QVERIFY(!req.overwritePrompt); // the chooser itself never asks
        QCOMPARE(q(req.filter), QStringLiteral("PFX Files (*.pfx)|*.pfx||"));
        QCOMPARE(q(req.defaultSuffix), QStringLiteral("pfx"));
        QCOMPARE(textOf(&dlg, 1011), file(QStringLiteral("out.pfx")));
        QCOMPARE(textOf(&dlg, 1012), QString());
        QCOMPARE(textOf(&dlg, 1013), QString());
    }

    void exportPfxChooserKeepsPasswordsTakenOverByOk() {
        CDlgExportPfx dlg;
        dlg.show();
        typeInto(&dlg, 1012, QStringLiteral("kept"));
        typeInto(&dlg, 1013, QStringLiteral("kept"));
        clickId(&dlg, res::IDOK); // rejected (no path), but the values are taken over
        QVERIFY(m_prompt.shown("文件名不能为空！"));

        typeInto(&dlg, 1012, QStringLiteral("typed later"));
        m_prompt.chooseFileAnswer(utf8(file(QStringLiteral("out.pfx"))));
        clickId(&dlg, 1003);
        QCOMPARE(textOf(&dlg, 1012), QStringLiteral("kept"));
        QCOMPARE(textOf(&dlg, 1013), QStringLiteral("kept"));
        QCOMPARE(textOf(&dlg, 1011), file(QStringLiteral("out.pfx")));

        clickId(&dlg, res::IDOK);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.password(), QStringLiteral("kept"));
    }

    // ---- certificate import ----

    void importCertLayout() {
        CDlgImportCert dlg;
        QCOMPARE(CDlgImportCert::IDD, 174);
        QCOMPARE(dlg.objectName(), QStringLiteral("174"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("导入证书"));
        QVERIFY(hasLabel(&dlg, QStringLiteral("请选择要导入的证书:")));
        QCOMPARE(textOf(&dlg, 1011), QString());
        QCOMPARE(control<QPushButton>(&dlg, 1003)->text(), QStringLiteral("..."));
        dlg.show();
        saveScreenshot(&dlg, QStringLiteral("DlgImportCert"));
    }

    void importCertChecksInOrder() {
        CDlgImportCert dlg;
        dlg.show();
        clickId(&dlg, res::IDOK);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "文件名不能为空!", "钥匣", MsgIcon::Warning, MsgButtons::Ok);
        QVERIFY(dlg.isVisible());

        m_prompt.clear();
        typeInto(&dlg, 1011, file(QStringLiteral("没有.cer")));
        clickId(&dlg, res::IDOK);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "您所要导入的证书路径错误!", "钥匣", MsgIcon::Error, MsgButtons::Ok);
        QVERIFY(dlg.isVisible());

        m_prompt.clear();
        touch(file(QStringLiteral("有.cer")));
        typeInto(&dlg, 1011, file(QStringLiteral("有.cer")));
        clickId(&dlg, res::IDOK);
        QVERIFY(m_prompt.messages.empty());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.path(), file(QStringLiteral("有.cer")));
    }

    void importCertChooser() {
        CDlgImportCert dlg;
        dlg.show();
        m_prompt.chooseFileAnswer(utf8(file(QStringLiteral("ca.cer"))));
        clickId(&dlg, 1003);
        QCOMPARE(m_prompt.fileRequests.size(), size_t(1));
        QVERIFY(!m_prompt.fileRequests[0].save);
        QCOMPARE(q(m_prompt.fileRequests[0].filter), QStringLiteral("CER Files (*.cer)|*.cer||"));
        QCOMPARE(q(m_prompt.fileRequests[0].defaultSuffix), QStringLiteral("cer"));
        QCOMPARE(textOf(&dlg, 1011), file(QStringLiteral("ca.cer")));
    }

    // ---- certificate export ----

    void exportCertLayout() {
        CDlgExportCert dlg;
        QCOMPARE(CDlgExportCert::IDD, 173);
        QCOMPARE(dlg.objectName(), QStringLiteral("173"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("导出证书"));
        QVERIFY(hasLabel(&dlg, QStringLiteral("证书导出为:")));
        dlg.show();
        saveScreenshot(&dlg, QStringLiteral("DlgExportCert"));
    }

    void exportCertChecksInOrder() {
        CDlgExportCert dlg;
        dlg.show();
        clickId(&dlg, res::IDOK);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "文件名不能为空！", "钥匣", MsgIcon::Warning, MsgButtons::Ok);
        QVERIFY(dlg.isVisible());

        const QString existing = file(QStringLiteral("张三.cer"));
        touch(existing);
        typeInto(&dlg, 1011, existing);
        m_prompt.clear();
        m_prompt.answer(MsgAnswer::No);
        clickId(&dlg, res::IDOK);
        YX_EXPECT_ONE_MESSAGE(m_prompt, "您所指定的文件已经存在，要覆盖它吗？", "钥匣", MsgIcon::Warning,
                              MsgButtons::YesNo);
        QVERIFY(dlg.isVisible());

        m_prompt.clear();
        m_prompt.answer(MsgAnswer::Yes);
        clickId(&dlg, res::IDOK);
        QCOMPARE(m_prompt.messages.size(), size_t(1));
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.path(), existing);
    }

    void exportCertNewPathNoQuestion() {
        touch(file(QStringLiteral("y.cer")));
        CDlgExportCert dlg;
        dlg.show();
        typeInto(&dlg, 1011, file(QStringLiteral("y"))); // "y.cer" exists, "y" does not
        clickId(&dlg, res::IDOK);
        QVERIFY(m_prompt.messages.empty());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    void exportCertChooser() {
        CDlgExportCert dlg;
        dlg.show();
        typeInto(&dlg, 1011, QStringLiteral("typed"));
        clickId(&dlg, 1003); // cancelled: the typed path stays
        QCOMPARE(textOf(&dlg, 1011), QStringLiteral("typed"));
        m_prompt.chooseFileAnswer(utf8(file(QStringLiteral("out.cer"))));
        clickId(&dlg, 1003);
        QCOMPARE(m_prompt.fileRequests.size(), size_t(2));
        QVERIFY(m_prompt.fileRequests[1].save);
        QVERIFY(!m_prompt.fileRequests[1].overwritePrompt);
        QCOMPARE(q(m_prompt.fileRequests[1].filter), QStringLiteral("CER Files (*.cer)|*.cer||"));
        QCOMPARE(q(m_prompt.fileRequests[1].defaultSuffix), QStringLiteral("cer"));
        QCOMPARE(textOf(&dlg, 1011), file(QStringLiteral("out.cer")));
    }

    // ---- friendly name ----

    void friendlyName() {
        CDlgFriendlyName dlg(QStringLiteral("工作证书"));
        QCOMPARE(CDlgFriendlyName::IDD, 159);
        QCOMPARE(dlg.objectName(), QStringLiteral("159"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("证书属性"));
        QVERIFY(hasLabel(&dlg, QStringLiteral("好记的名字")));
        QCOMPARE(textOf(&dlg, 1013), QStringLiteral("工作证书"));
        dlg.show();
        saveScreenshot(&dlg, QStringLiteral("DlgFriendlyName"));

        typeInto(&dlg, 1013, QStringLiteral("新名字"));
        clickId(&dlg, res::IDOK);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.name(), QStringLiteral("新名字"));
    }

    void friendlyNameEmptyAccepted() {
        CDlgFriendlyName dlg(QStringLiteral("旧名字"));
        dlg.show();
        typeInto(&dlg, 1013, QString());
        QTest::keyClick(control<QLineEdit>(&dlg, 1013), Qt::Key_Return); // Enter is OK
        QVERIFY(m_prompt.messages.empty());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.name(), QString());
    }

    void friendlyNameEscapeCancels() {
        CDlgFriendlyName dlg(QStringLiteral("旧名字"));
        dlg.show();
        typeInto(&dlg, 1013, QStringLiteral("不要"));
        QTest::keyClick(control<QLineEdit>(&dlg, 1013), Qt::Key_Escape);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(dlg.name(), QStringLiteral("旧名字"));
    }

private:
    static std::string utf8(const QString& s) { return s.toStdString(); }
};

QTEST_MAIN(CertFileDialogsTest)
#include "CertFileDialogsTest.moc"
