// The personal page on a machine where OpenSSL's legacy module cannot be loaded: importing an old
// PFX fails with the page's own message and then says why. A program of its own, because a
// process loads the provider at most once.
#include "CertPageFixture.h"
#include "PfxFile.h"
#include "pages/PersonalCertPage.h"

#include <QSignalSpy>
#include <cstdlib>

using namespace certpagetest;

namespace {
// Before main, so no OpenSSL call of this process can find the module.
const bool kModulesHidden = [] {
    return ::setenv("OPENSSL_MODULES", "/nonexistent/yaoxia-no-modules", 1) == 0;
}();
} // namespace

class PersonalLegacyPfxTest : public QObject, public PageTestBase<yx::PersonalCertPage> {
    Q_OBJECT

private slots:
    void init() {
        setUpEnv();
        makePage();
    }
    void cleanup() { tearDown(); }

    void oldPfxWithoutLegacyModuleSaysWhy() {
        QVERIFY(kModulesHidden);
        QVERIFY(!yx::ensureLegacyProvider());
        auto user = pki->make("旧文件用户", Pki::Kind::NoCrl);
        const std::string dir = files->path();
        const std::string certPem = yxtest::writeFile(dir, "c.pem", user.pem());
        const std::string keyPem = yxtest::writeFile(dir, "k.pem", user.keyPem());
        const std::string legacy = dir + "/old.pfx";
        // The openssl program finds its modules where it always does.
        QCOMPARE(
            yxtest::runCommand({"env", "-u", "OPENSSL_MODULES", "openssl", "pkcs12", "-export", "-legacy",
                                "-in", certPem, "-inkey", keyPem, "-passout", "pass:pw", "-out", legacy}),
            0);

        page->activate();
        QSignalSpy loaded(page.get(), &yx::CertListPage::listLoaded);
        prompt->clear();
        answerNextDialog({{1016, u(legacy)}, {1015, QStringLiteral("pw")}}, true);
        page->onCommand(yx::res::ID_CERT_IMPORT);
        QCOMPARE(messageTexts(*prompt),
                 (QStringList{QStringLiteral("导入失败！"), QString::fromUtf8(yx::legacyProviderMessage())}));
        QVERIFY(prompt->messages[1].icon == yx::MsgIcon::Error);
        QCOMPARE(loaded.count(), 1); // every file import reloads the list
        QCOMPARE(page->model()->rowCount(), 0);
    }
};

QTEST_MAIN(PersonalLegacyPfxTest)
#include "PersonalLegacyPfxTest.moc"
