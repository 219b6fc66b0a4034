// A list load with online revocation checks does not freeze the window: the rows are there and
// painted while a worker checks, a modal progress dialog appears after the delay, the page takes
// no commands until the load ends. (A CRL shared by many certificates fetched once per load is
// checked in RevocationTest and CertPagesTest.)
#include "CertPageFixture.h"
#include "GuiTestEnv.h"
#include "Revocation.h"
#include "pages/CertListChecker.h"
#include "pages/OtherPeopleCertPage.h"
#include "pages/PersonalCertPage.h"

#include <QElapsedTimer>
#include <QProgressDialog>

using namespace certpagetest;

namespace {

// Counts paint events of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

QProgressDialog* visibleProgress() {
    auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
    return dialog && dialog->isVisible() &&
                   dialog->objectName() == QLatin1String(yx::CertListChecker::kProgressName)
               ? dialog
               : nullptr;
}

} // namespace

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

    void onlineLoadPaintsShowsProgressAndRefusesCommands() {
        // A CRL server that never answers: the first check waits for the time-out.
        pki->server.setMode("/silent.crl", yxtest::HttpTestServer::Mode::Silent);
        yxtest::CertProfile profile;
        profile.crlUrls = {pki->server.url("/silent.crl")};
        for (int i = 0; i < 12; ++i) {
            profile.cn = "慢速" + std::to_string(i);
            QCOMPARE(addOther(pki->ca.issue(profile)), 0);
        }
        setOnlineChecks(true);

        yx::OtherPeopleCertPage page;
        page.setMenuBarHost(bar.get());
        page.resize(700, 300);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.onCommand(yx::res::ID_VIEW_DETAILS);
        PaintCounter counter;
        page.listView()->currentView()->viewport()->installEventFilter(&counter);

        struct Seen {
            bool dialogEarly = true;
            bool dialogLate = false;
            bool modal = false;
            bool loading = false;
            int rowsDuring = -1;
            int paintsBefore = 0, paintsDuring = 0;
            bool refused = false;
        } seen;
        QTimer::singleShot(120, [&] {
            seen.dialogEarly = visibleProgress() != nullptr;
            seen.rowsDuring = page.model()->rowCount();
            seen.paintsBefore = counter.paints;
            page.listView()->currentView()->viewport()->update(); // an expose while checking
        });
        QTimer::singleShot(900, [&] {
            QProgressDialog* progress = visibleProgress();
            seen.dialogLate = progress != nullptr;
            seen.modal = progress && progress->windowModality() == Qt::ApplicationModal;
            seen.loading = page.isLoading();
            seen.paintsDuring = counter.paints;
            if (progress)
                QCOMPARE(progress->maximum(), 12);
            // Commands wait for the load: nothing opens, nothing reloads.
            page.onCommand(yx::res::ID_CERT_OPEN);
            page.onCommand(yx::res::ID_CERT_REFRESH);
            seen.refused = prompt->viewed.empty();
        });
        QElapsedTimer clock;
        clock.start();
        page.activate();
        const qint64 took = clock.elapsed();

        QVERIFY2(took >= 1000, qPrintable(QString::number(took))); // the time-out was waited for ...
        QVERIFY(!seen.dialogEarly);                                // ... without a dialog at first
        QCOMPARE(seen.rowsDuring, 12);                             // the rows were there meanwhile
        QVERIFY(seen.paintsDuring > seen.paintsBefore);            // and the window painted them
        QVERIFY(seen.dialogLate);
        QVERIFY(seen.modal);
        QVERIFY(seen.loading);
        QVERIFY(seen.refused);
        QVERIFY(!page.isLoading());
        QVERIFY(visibleProgress() == nullptr);
        for (int r = 0; r < 12; ++r)
            QCOMPARE(page.model()->text(r, 4), QStringLiteral("未知"));
        // The silent server is asked once for the whole load.
        QCOMPARE(pki->server.requestCount("/silent.crl"), 1);
        // Commands work again.
        leftClick(&page, 0);
        page.onCommand(yx::res::ID_CERT_OPEN);
        QCOMPARE(prompt->viewed.size(), size_t(1));
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
