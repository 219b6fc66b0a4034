// A list load runs beside the window: rows shown take commands while it runs, and a refresh starts
// it again cleanly. (A CRL shared by many certificates fetched once per load is checked in
// RevocationTest and CertPagesTest.)
#include "CertPageFixture.h"
#include "GuiTestEnv.h"
#include "Revocation.h"
#include "pages/CertListChecker.h"
#include "pages/OtherPeopleCertPage.h"
#include "pages/PersonalCertPage.h"

#include <QSignalSpy>

using namespace certpagetest;

class CertListLoadTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<yxtest::ScopedGuiEnv> env;
    std::unique_ptr<RecordingPrompt> prompt;
    std::unique_ptr<Pki> pki;
    std::unique_ptr<TestMenuBar> bar;

private slots:
    void init() {
        env = std::make_unique<yxtest::ScopedGuiEnv>();
        prompt = std::make_unique<RecordingPrompt>();
        pki = std::make_unique<Pki>();
        pki->caIntoStore();
        bar = std::make_unique<TestMenuBar>();
        yx::CertListChecker::setProgressDelayMs(300);
        yx::revocationOptions().connectTimeoutMs = 1000;
        yx::revocationOptions().totalTimeoutMs = 1500;
    }

    void cleanup() {
        bar.reset();
        pki.reset();
        prompt.reset();
        env.reset();
    }

    void refreshDuringLoadRestartsAndRowsTakeCommands() {
        for (int i = 0; i < 30; ++i)
            QCOMPARE(addOther(pki->make("分步" + std::to_string(i), Kind::NoCrl)), 0);
        yx::OtherPeopleCertPage page;
        page.setMenuBarHost(bar.get());
        page.resize(700, 300);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.activate();
        page.waitUntilLoaded();
        QCOMPARE(page.model()->rowCount(), 30);

        // A reload under way: the rows already shown take commands, a refresh starts it again,
        // and only the last load ends, with every certificate once in store order.
        QSignalSpy loaded(&page, &yx::CertListPage::listLoaded);
        page.onCommand(yx::res::ID_CERT_REFRESH);
        QVERIFY(page.isLoading());
        leftClick(&page, 29);
        page.onCommand(yx::res::ID_CERT_OPEN);
        QCOMPARE(prompt->viewed.size(), size_t(1));
        page.onCommand(yx::res::ID_CERT_REFRESH);
        page.onCommand(yx::res::ID_CERT_REFRESH);
        page.waitUntilLoaded();
        QCOMPARE(loaded.count(), 1);
        COtherCertStore store;
        QCOMPARE(store.OpenCertStore(), 0);
        QCOMPARE(page.model()->rowCount(), store.GetCertCount());
        QCOMPARE(page.store().GetCertCount(), store.GetCertCount());
        for (int r = 0; r < store.GetCertCount(); ++r) {
            std::string name;
            store.getCert(r)->getDisplayName(name);
            QCOMPARE(page.model()->text(r, 0), u(name));
            QCOMPARE(page.model()->text(r, 4), QStringLiteral("无CRL"));
        }
        QCOMPARE(page.selected(), 29); // kept across the reloads
    }

    void checkerDeliversResultsInOrder() {
        // Directly: results arrive in order, one per certificate, also for a null context.
        auto good = pki->make("顺序", Kind::NoCrl);
        std::vector<yx::CertContextPtr> contexts = {yx::CertContext::fromX509(good.cert.get()), nullptr};
        std::vector<std::pair<int, QString>> got;
        yx::CertListChecker::run(nullptr, contexts, true,
                                 [&](int i, const QString& s) { got.emplace_back(i, s); });
        QCOMPARE(got.size(), size_t(2));
        QCOMPARE(got[0].first, 0);
        QCOMPARE(got[0].second, QStringLiteral("无CRL"));
        QCOMPARE(got[1].first, 1);
        QCOMPARE(got[1].second, QStringLiteral("错误"));
    }
};

QTEST_MAIN(CertListLoadTest)
#include "CertListLoadTest.moc"
