// The dialogs that take a file path: certificate import and export, PFX export and the backup
// password change. One table of (dialog, input, files already there, answer) -> (messages, taken),
// so the order of the checks and the overwrite question are each stated once.
#include "DialogDriver.h"
#include "GuiTestEnv.h"
#include "RecordingPrompt.h"
#include "TestPki.h"

#include "PfxFile.h"
#include "ResourceIds.h"
#include "certfiles/DlgChangeBackupPassword.h"
#include "certfiles/DlgExportCert.h"
#include "certfiles/DlgExportPfx.h"
#include "certfiles/DlgImportCert.h"
#include "certfiles/DlgImportPfx.h"

#include <QComboBox>
#include <QtTest>

using namespace yxtest;

namespace {

// Before main: this process cannot load OpenSSL's legacy provider, as on machines without it.
const bool kModulesHidden = ::setenv("OPENSSL_MODULES", "/nonexistent/yaoxia-no-modules", 1) == 0;

int openWith(const QString& path, const char* password) {
    yx::PfxContents contents;
    return yx::readPfx(readFile(s(path)), password, contents);
}

std::unique_ptr<QDialog> makeDialog(const QString& kind) {
    if (kind == "importCert")
        return std::make_unique<CDlgImportCert>();
    if (kind == "exportCert")
        return std::make_unique<CDlgExportCert>();
    if (kind == "exportPfx")
        return std::make_unique<CDlgExportPfx>();
    return std::make_unique<CDlgChangeBackupPassword>();
}

} // namespace

class FileDialogsTest : public QObject {
    Q_OBJECT

    ScopedGuiEnv m_env;
    RecordingPrompt m_prompt;
    TestCa m_ca;
    Issued m_user = m_ca.issue(CertProfile{});

    QString path(QString text) const { return text.replace(QLatin1String("$dir"), m_env.root()); }

private slots:
    void initTestCase() {
        const auto pfx = [this](const char* password) {
            return makePfx(m_user.key.get(), m_user.cert.get(), {m_ca.cert()}, password, PfxKind::TripleDes);
        };
        writeFile(s(m_env.root()), "backup.pfx", pfx("旧口令"));
        writeFile(s(m_env.root()), "open.pfx", pfx(""));
        writeFile(s(m_env.root()), "text.pfx", std::string("no pfx"));
        const std::string root = s(m_env.root()), cert = writeFile(root, "c.pem", m_user.pem());
        QVERIFY(kModulesHidden &&
                runCommand({"env", "-u", "OPENSSL_MODULES", "openssl", "pkcs12", "-export", "-legacy", "-in",
                            cert, "-inkey", writeFile(root, "k.pem", m_user.keyPem()), "-passout",
                            "pass:旧口令", "-out", root + "/legacy.pfx"}) == 0);
    }
    void init() { m_prompt.clear(); }

    void okDecides_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QStringList>("fields"); // "id=text"; $dir is the test folder
        QTest::addColumn<QString>("existing");   // a file there before OK, holding "old"
        QTest::addColumn<int>("answer");         // to the overwrite question: 0 none, 1 yes, 2 no
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("newPassword"); // the target then opens with it ("-": no check)

        const QString exists = QStringLiteral("您所指定的文件已经存在，要覆盖它吗？");
        const QString done = QStringLiteral("修改备份密码成功！");
        const QStringList backup = {"1021=$dir/backup.pfx", "1022=旧口令", "1014=$dir/t.pfx", "1023=新",
                                    "1015=新"};
        auto row = [&](const char* name, const char* dialog, QStringList fields, const char* existing,
                       int answer, QStringList messages, bool taken, const char* newPassword = "-") {
            QTest::newRow(name) << dialog << fields << existing << answer << messages << taken << newPassword;
        };
        auto with = [](QStringList fields, const QString& field) {
            const QString id = field.section(QLatin1Char('='), 0, 0) + QLatin1Char('=');
            for (QString& f : fields)
                if (f.startsWith(id))
                    f = field;
            return fields;
        };

        row("cert import: empty", "importCert", {}, "", 0, {"文件名不能为空!"}, false);
        row("cert import: missing", "importCert", {"1011=$dir/none.cer"}, "", 0,
            {"您所要导入的证书路径错误!"}, false);
        row("cert import: there", "importCert", {"1011=$dir/c.cer"}, "$dir/c.cer", 0, {}, true);
        row("cert export: empty", "exportCert", {}, "", 0, {"文件名不能为空！"}, false);
        row("cert export: keep", "exportCert", {"1011=$dir/e.cer"}, "$dir/e.cer", 2, {exists}, false);
        row("cert export: replace", "exportCert", {"1011=$dir/e.cer"}, "$dir/e.cer", 1, {exists}, true);
        row("pfx export: path before passwords", "exportPfx", {"1012=a", "1013=b"}, "", 0,
            {"文件名不能为空！"}, false);
        row("pfx export: case differs", "exportPfx", {"1011=$dir/n.pfx", "1012=Secret", "1013=secret"}, "", 0,
            {"密码不相同，请确保密码相同！"}, false);
        row("pfx export: keep", "exportPfx", {"1011=$dir/p.pfx", "1012=p", "1013=p"}, "$dir/p.pfx", 2,
            {exists}, false);
        row("pfx export: replace", "exportPfx", {"1011=$dir/p.pfx", "1012=p", "1013=p"}, "$dir/p.pfx", 1,
            {exists}, true);
        row("backup: no target", "backup", {"1021=$dir/none.pfx"}, "", 0, {"文件名不能为空！"}, false);
        row("backup: source before mismatch", "backup", with(with(backup, "1021=$dir/none.pfx"), "1015=x"),
            "", 0, {"您所要更改的源文件不存在！"}, false);
        row("backup: mismatch before overwrite", "backup", with(backup, "1015=New"), "$dir/t.pfx", 0,
            {"新密码和确认密码不一致!"}, false);
        row("backup: keep", "backup", backup, "$dir/t.pfx", 2, {exists}, false);
        row("backup: replace", "backup", backup, "$dir/t.pfx", 1, {exists, done}, true, "新");
        row("backup: empty passwords", "backup", {"1021=$dir/open.pfx", "1014=$dir/t.pfx"}, "", 0, {done},
            true, "");
        row("backup: not a pfx", "backup", with(backup, "1021=$dir/text.pfx"), "", 0,
            {"备份失败，文件格式错误！"}, false);
        row("backup: wrong password", "backup", with(backup, "1022=错的"), "", 0,
            {"备份失败，源文件口令错误！"}, false);
        row("backup: needs the legacy provider", "backup", with(backup, "1021=$dir/legacy.pfx"), "", 0,
            {"备份失败！", yx::legacyProviderMessage()}, false);
        row("backup: no folder", "backup", with(backup, "1014=$dir/none/t.pfx"), "", 0,
            {"备份失败，生成目标文件错误！"}, false);
    }

    void okDecides() {
        QFETCH(QString, dialog);
        QFETCH(QStringList, fields);
        QFETCH(QString, existing);
        QFETCH(int, answer);
        QFETCH(QStringList, messages);
        QFETCH(bool, taken);
        QFETCH(QString, newPassword);

        QFile::remove(path("$dir/t.pfx"));
        if (!existing.isEmpty())
            QVERIFY(writeText(path(existing), "old"));
        if (answer)
            m_prompt.answer(answer == 1 ? yx::MsgAnswer::Yes : yx::MsgAnswer::No);
        auto dlg = makeDialog(dialog);
        dlg->show();
        for (const QString& f : fields)
            typeInto(dlg.get(), f.section(QLatin1Char('='), 0, 0).toInt(),
                     path(f.section(QLatin1Char('='), 1)));
        click(dlg.get(), yx::res::IDOK);

        QCOMPARE(messageTexts(m_prompt), messages);
        QCOMPARE(dlg->result() == QDialog::Accepted, taken);
        QCOMPARE(dlg->isVisible(), !taken);
        if (!taken && !existing.isEmpty())
            QCOMPARE(readAll(path(existing)), QByteArray("old"));
        if (newPassword != "-")
            QCOMPARE(openWith(path("$dir/t.pfx"), newPassword.toUtf8().constData()), 0);
    }

    // A file chosen with "..." puts the other fields back to the values the dialog opened with.
    void chooserResetsTypedValues() {
        CDlgImportPfx import;
        import.show();
        typeInto(&import, 1015, QStringLiteral("secret"));
        control<QComboBox>(&import, 1014)->setCurrentIndex(0);
        m_prompt.chooseFileAnswer(s(path("$dir/备份.pfx")));
        click(&import, 1003);
        QCOMPARE(textOf(&import, 1016), path("$dir/备份.pfx"));
        QCOMPARE(textOf(&import, 1015), QString());
        QCOMPARE(control<QComboBox>(&import, 1014)->currentIndex(), 1);

        CDlgExportPfx exportPfx;
        exportPfx.show();
        typeInto(&exportPfx, 1012, QStringLiteral("one"));
        typeInto(&exportPfx, 1013, QStringLiteral("one"));
        m_prompt.chooseFileAnswer(s(path("$dir/out.pfx")));
        click(&exportPfx, 1003);
        QCOMPARE(textOf(&exportPfx, 1011), path("$dir/out.pfx"));
        QCOMPARE(textOf(&exportPfx, 1012), QString());
        QVERIFY(m_prompt.messages.empty());
    }
};

QTEST_MAIN(FileDialogsTest)
#include "FileDialogsTest.moc"
