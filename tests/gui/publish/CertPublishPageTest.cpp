// Publishing from the certificate pages: the dialog lists the databases of a Firefox-like home
// (a usable and a legacy profile), and what is ticked reaches the database, checked with certutil.
#include "../../nss/NssTestDb.h"
#include "../pages/CertPageFixture.h"
#include "pages/CaCertPage.h"
#include "pages/PersonalCertPage.h"
#include "publish/PublishDialogIds.h"

#include <QCheckBox>
#include <QTreeWidget>
#include <filesystem>

using namespace certpagetest;
namespace res = yx::res;

namespace {

// A Firefox home with profile "default" (a database made with certutil) and "old" (cert8.db).
struct FirefoxHome : yxtest::ScopedHome {
    FirefoxHome() {
        const std::string ini = file(".mozilla/firefox");
        std::filesystem::create_directories(ini + "/old");
        yxtest::writeFile(ini + "/old", "cert8.db", std::string("legacy"));
        yxtest::writeFile(ini, "profiles.ini",
                          "[Profile0]\nName=default\nIsRelative=0\nPath=" + db.path() +
                              "\n[Profile1]\nName=old\nIsRelative=1\nPath=old\n");
    }
    yxtest::NssTestDb db;
};

QTreeWidget* databases(QDialog* d) {
    return d->findChild<QTreeWidget*>(QString::number(res::IDC_PUBLISH_DATABASES));
}

} // namespace

class CertPublishPageTest : public QObject, public PageTestBase {
    Q_OBJECT
private slots:
    void init() { setUpEnv(); } // the people's root CA is in the CA store
    void cleanup() { tearDown(); }

    void caPublishWithTheTickedTrustThenWithdraw() {
        showPage(std::make_unique<yx::CaCertPage>());
        FirefoxHome home;
        page->activate();
        page->waitUntilLoaded();
        leftClick(page.get(), 0);
        yxtest::ModalScript publish;
        publish.on(res::IDD_PUBLISH_CERT, [](QDialog* d) {
            QTreeWidget* list = databases(d);
            QCOMPARE(list->topLevelItemCount(), 2);
            QVERIFY(list->topLevelItem(0)->flags() & Qt::ItemIsEnabled);
            QVERIFY(!(list->topLevelItem(1)->flags() & Qt::ItemIsEnabled)); // the legacy profile
            click(d, res::IDOK); // nothing ticked: the dialog stays
            QVERIFY(d->isVisible());
            list->topLevelItem(0)->setCheckState(0, Qt::Checked);
            d->findChild<QCheckBox*>(QString::number(res::IDC_PUBLISH_TRUST_EMAIL))->setChecked(true);
            click(d, res::IDOK);
        });
        QVERIFY(page->onCommand(res::ID_CERT_PUBLISH));
        QVERIFY2(publish.waitFinished(), qPrintable(publish.failure()));
        QCOMPARE(prompt->lastMessage()->icon, yx::MsgIcon::Information);
        QCOMPARE(home.db.certs(), (std::map<std::string, std::string>{{"钥匣测试根CA", ",C,"}}));

        yxtest::ModalScript withdraw;
        withdraw.on(res::IDD_PUBLISH_CERT, [](QDialog* d) {
            QVERIFY(!d->findChild<QCheckBox*>(QString::number(res::IDC_PUBLISH_TRUST_EMAIL)));
            databases(d)->topLevelItem(0)->setCheckState(0, Qt::Checked);
            click(d, res::IDOK);
        });
        QVERIFY(page->onCommand(res::ID_CERT_WITHDRAW));
        QVERIFY2(withdraw.waitFinished(), qPrintable(withdraw.failure()));
        QVERIFY(home.db.certs().empty());
    }

    // The primary password is asked through the program's prompt and reaches the database.
    void personalProtectedDatabaseAsksForItsPassword() {
        QCOMPARE(addPersonal(pki->ca.issue({.cn = "张伟"})), 0);
        showPage(std::make_unique<yx::PersonalCertPage>());
        yxtest::ScopedHome home;
        yxtest::NssTestDb db(std::string("主密码"));
        std::filesystem::create_directories(home.file(".thunderbird"));
        yxtest::writeFile(home.file(".thunderbird"), "profiles.ini",
                          "[Profile0]\nName=work\nIsRelative=0\nPath=" + db.path() + "\n");
        page->activate();
        page->waitUntilLoaded();
        leftClick(page.get(), 0);
        prompt->passwordAnswers = {std::string("主密码")}; // a wrong one: CertPublisherTest
        yxtest::ModalScript script;
        script.on(res::IDD_PUBLISH_CERT, [](QDialog* d) {
            databases(d)->topLevelItem(0)->setCheckState(0, Qt::Checked);
            click(d, res::IDOK);
        });
        QVERIFY(page->onCommand(res::ID_CERT_PUBLISH));
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
        QVERIFY(prompt->passwordAnswers.empty());
        QCOMPARE(prompt->lastMessage()->icon, yx::MsgIcon::Information);
        QCOMPARE(db.keyCount(), 1);
    }
};

QTEST_MAIN(CertPublishPageTest)
#include "CertPublishPageTest.moc"
