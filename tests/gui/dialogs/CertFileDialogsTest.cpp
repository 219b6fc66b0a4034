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

// Stops the test when a shared check below has failed, as a QCOMPARE in the test itself would.
#define YX_CHECK(call)                                                                                       \
    do {                                                                                                     \
        call;                                                                                                \
        if (QTest::currentTestFailed())                                                                      \
            return;                                                                                          \
    } while (0)

// Id, objectName, caption and static texts every dialog here is checked for.
void checkFrame(QWidget* dlg, int idd, int id, const char* title, std::initializer_list<const char*> labels) {
    QCOMPARE(idd, id);
    QCOMPARE(dlg->objectName(), QString::number(id));
    QCOMPARE(dlg->windowTitle(), QString::fromUtf8(title));
    for (const char* label : labels)
        QVERIFY2(hasLabel(dlg, QString::fromUtf8(label)), label);
}

void checkChooser(const yx::FileChooserRequest& req, bool save, const char* ext) {
    const QString upper = QString::fromLatin1(ext).toUpper();
    QCOMPARE(req.save, save);
    QVERIFY(!req.overwritePrompt); // the chooser itself never asks
    QCOMPARE(q(req.filter), QStringLiteral("%1 Files (*.%2)|*.%2||").arg(upper, QLatin1String(ext)));
    QCOMPARE(q(req.defaultSuffix), QString::fromLatin1(ext));
}

} // namespace

class CertFileDialogsTest : public QObject {
    Q_OBJECT

    ScopedGuiEnv m_env;
    RecordingPrompt m_prompt;

    QString file(const QString& name) const { return m_env.root() + QLatin1Char('/') + name; }

    // OK refused with exactly this one message; the dialog stays open.
    void okRefused(QDialog* dlg, const char* text, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok) {
        clickId(dlg, res::IDOK);
        QCOMPARE(m_prompt.messages.size(), size_t(1));
        QCOMPARE(q(m_prompt.messages[0].text), QString::fromUtf8(text));
        QCOMPARE(q(m_prompt.messages[0].caption), QStringLiteral("钥匣"));
        QVERIFY(m_prompt.messages[0].icon == icon);
        QVERIFY(m_prompt.messages[0].buttons == buttons);
        QVERIFY(dlg->isVisible());
    }

    // OK taken, after `messages` messages since the prompt was cleared.
    void okAccepted(QDialog* dlg, size_t messages = 0) {
        clickId(dlg, res::IDOK);
        QCOMPARE(m_prompt.messages.size(), messages);
        QCOMPARE(dlg->result(), int(QDialog::Accepted));
    }

    // The overwrite question: No keeps the dialog open, Yes takes the existing path.
    void overwriteNoThenYes(QDialog* dlg) {
        m_prompt.clear();
        m_prompt.answer(MsgAnswer::No);
        YX_CHECK(okRefused(dlg, "您所指定的文件已经存在，要覆盖它吗？", MsgIcon::Warning, MsgButtons::YesNo));
        QCOMPARE(dlg->result(), int(QDialog::Rejected));
        m_prompt.clear();
        m_prompt.answer(MsgAnswer::Yes);
        okAccepted(dlg, 1);
    }

private slots:
    void init() { m_prompt.clear(); }

    // ---- PFX import ----

    void importPfxLayout() {
        CDlgImportPfx dlg;
        YX_CHECK(checkFrame(&dlg, CDlgImportPfx::IDD, 160, "导入证书",
                            {"请选择要导入的个人证书文件（.PFX）：", "保护口令：", "选择导入设备："}));
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
        YX_CHECK(checkChooser(m_prompt.fileRequests[0], false, "pfx"));
        QVERIFY(m_prompt.fileRequests[0].initialPath.empty());

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
        YX_CHECK(checkFrame(&dlg, CDlgExportPfx::IDD, 158, "导出证书",
                            {"请选择要导出的个人证书文件（.PFX）：", "密码:", "确认密码:"}));
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
        YX_CHECK(okRefused(&dlg, "文件名不能为空！", MsgIcon::Warning));
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }

    void exportPfxPasswordsDifferInCase() {
        CDlgExportPfx dlg;
        dlg.show();
        typeInto(&dlg, 1011, file(QStringLiteral("new.pfx")));
        typeInto(&dlg, 1012, QStringLiteral("Secret"));
        typeInto(&dlg, 1013, QStringLiteral("secret"));
        okRefused(&dlg, "密码不相同，请确保密码相同！", MsgIcon::Error);
    }

    void exportPfxEmptyPasswordsToNewPath() {
        CDlgExportPfx dlg;
        dlg.show();
        typeInto(&dlg, 1011, file(QStringLiteral("new")));
        YX_CHECK(okAccepted(&dlg)); // no question for a path that does not exist
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
        YX_CHECK(overwriteNoThenYes(&dlg));
        QCOMPARE(dlg.path(), existing);
        QCOMPARE(dlg.password(), QStringLiteral("p"));
    }

    void exportPfxQuestionTestsTypedPathOnly() {
        // "x.pfx" exists, but the typed "x" does not: the page adds the extension later.
        touch(file(QStringLiteral("x.pfx")));
        CDlgExportPfx dlg;
        dlg.show();
        typeInto(&dlg, 1011, file(QStringLiteral("x")));
        YX_CHECK(okAccepted(&dlg));
    }

    void exportPfxChooserResetsPasswords() {
        CDlgExportPfx dlg;
        dlg.show();
        typeInto(&dlg, 1012, QStringLiteral("one"));
        typeInto(&dlg, 1013, QStringLiteral("one"));
        m_prompt.chooseFileAnswer(utf8(file(QStringLiteral("out.pfx"))));
        clickId(&dlg, 1003);

        QCOMPARE(m_prompt.fileRequests.size(), size_t(1));
        YX_CHECK(checkChooser(m_prompt.fileRequests[0], true, "pfx"));
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
        YX_CHECK(checkFrame(&dlg, CDlgImportCert::IDD, 174, "导入证书", {"请选择要导入的证书:"}));
        QCOMPARE(textOf(&dlg, 1011), QString());
        QCOMPARE(control<QPushButton>(&dlg, 1003)->text(), QStringLiteral("..."));
        dlg.show();
        saveScreenshot(&dlg, QStringLiteral("DlgImportCert"));
    }

    void importCertChecksInOrder() {
        CDlgImportCert dlg;
        dlg.show();
        YX_CHECK(okRefused(&dlg, "文件名不能为空!", MsgIcon::Warning));

        m_prompt.clear();
        typeInto(&dlg, 1011, file(QStringLiteral("没有.cer")));
        YX_CHECK(okRefused(&dlg, "您所要导入的证书路径错误!", MsgIcon::Error));

        m_prompt.clear();
        touch(file(QStringLiteral("有.cer")));
        typeInto(&dlg, 1011, file(QStringLiteral("有.cer")));
        YX_CHECK(okAccepted(&dlg));
        QCOMPARE(dlg.path(), file(QStringLiteral("有.cer")));
    }

    void importCertChooser() {
        CDlgImportCert dlg;
        dlg.show();
        m_prompt.chooseFileAnswer(utf8(file(QStringLiteral("ca.cer"))));
        clickId(&dlg, 1003);
        QCOMPARE(m_prompt.fileRequests.size(), size_t(1));
        YX_CHECK(checkChooser(m_prompt.fileRequests[0], false, "cer"));
        QCOMPARE(textOf(&dlg, 1011), file(QStringLiteral("ca.cer")));
    }

    // ---- certificate export ----

    void exportCertLayout() {
        CDlgExportCert dlg;
        YX_CHECK(checkFrame(&dlg, CDlgExportCert::IDD, 173, "导出证书", {"证书导出为:"}));
        dlg.show();
        saveScreenshot(&dlg, QStringLiteral("DlgExportCert"));
    }

    void exportCertChecksInOrder() {
        CDlgExportCert dlg;
        dlg.show();
        YX_CHECK(okRefused(&dlg, "文件名不能为空！", MsgIcon::Warning));

        const QString existing = file(QStringLiteral("张三.cer"));
        touch(existing);
        typeInto(&dlg, 1011, existing);
        YX_CHECK(overwriteNoThenYes(&dlg));
        QCOMPARE(dlg.path(), existing);
    }

    void exportCertNewPathNoQuestion() {
        touch(file(QStringLiteral("y.cer")));
        CDlgExportCert dlg;
        dlg.show();
        typeInto(&dlg, 1011, file(QStringLiteral("y"))); // "y.cer" exists, "y" does not
        YX_CHECK(okAccepted(&dlg));
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
        YX_CHECK(checkChooser(m_prompt.fileRequests[1], true, "cer"));
        QCOMPARE(textOf(&dlg, 1011), file(QStringLiteral("out.cer")));
    }

    // ---- friendly name ----

    void friendlyName() {
        CDlgFriendlyName dlg(QStringLiteral("工作证书"));
        YX_CHECK(checkFrame(&dlg, CDlgFriendlyName::IDD, 159, "证书属性", {"好记的名字"}));
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
