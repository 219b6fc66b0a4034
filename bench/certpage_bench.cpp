// The other-people page with 1,000 certificates of one CA (sharing one cached CRL, every 50th
// revoked; larger stores with counts on the command line, "1000 10000": the store's own import,
// which makes them, writes and syncs its order file for every certificate, so a store of 10,000
// takes long to make), loaded cache-only: time from
// activation to the first paint of the list and to the full list (every row painted once,
// scrolling to the end), in the details and large-icon views, printed beside the previous way of
// loading (every row's texts made at load) and the core's own list time in the same run (open
// the store, read the four column texts and check revocation against the cache for every
// certificate, no Qt).
#include "CertStore.h"
#include "HttpTestServer.h"
#include "Revocation.h"
#include "Settings.h"
#include "TestPki.h"
#include "pages/CertListModel.h"
#include "pages/CertListView.h"
#include "pages/OtherPeopleCertPage.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct CoreRun {
    double ms = 0;
    int revoked = 0;
};

// What the core does for a list load without any window.
CoreRun coreList() {
    CoreRun out;
    const auto start = Clock::now();
    COtherCertStore store;
    store.OpenCertStore();
    yx::RevocationSession session;
    for (int i = 0; i < store.GetCertCount(); ++i) {
        CDigitalCertificate* cert = store.getCert(i);
        std::string name, issuer, to, friendly, status;
        cert->getDisplayName(name);
        cert->getIssuerCN(issuer);
        cert->getValidToDate(to);
        cert->getFriendlyName(friendly);
        cert->CRLCheck(status, false);
        out.revoked += status == "已吊销";
    }
    out.ms = msSince(start);
    return out;
}

struct PageRun {
    double loaded = 0, firstPaint = 0, fullList = 0;
    int revoked = 0;
};

// The time of the first paint of a view that shows rows: the window goes on painting while the
// revocation checks run, so the first screen may appear before the load has ended.
class FirstPaint : public QObject {
public:
    FirstPaint(QAbstractItemModel* model, Clock::time_point start) : m_model(model), m_start(start) {}
    std::optional<double> ms;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!ms && event->type() == QEvent::Paint && m_model->rowCount() > 0)
            ms = msSince(m_start);
        return QObject::eventFilter(watched, event);
    }

private:
    QAbstractItemModel* m_model;
    Clock::time_point m_start;
};

PageRun pageList(yx::OtherPeopleCertPage& page, int viewCommand) {
    page.onCommand(viewCommand);
    QApplication::processEvents();
    PageRun out;
    QAbstractItemView* view = page.listView()->currentView();
    const auto start = Clock::now();
    FirstPaint painted(page.model(), start);
    view->viewport()->installEventFilter(&painted);
    page.activate();
    out.loaded = msSince(start);
    view->viewport()->repaint(); // lays out what it needs and paints the first screen
    view->viewport()->removeEventFilter(&painted);
    out.firstPaint = painted.ms.value_or(msSince(start));
    // Long lists are laid out in batches after the first screen: wait until the last row has its place.
    const QModelIndex last = page.model()->index(page.model()->rowCount() - 1, 0);
    for (int i = 0; i < 100000 && last.isValid() && !view->visualRect(last).isValid(); ++i)
        QApplication::processEvents();
    QScrollBar* bar = view->verticalScrollBar();
    for (int v = bar->minimum(); v < bar->maximum(); v += std::max(1, bar->pageStep())) {
        bar->setValue(v);
        view->viewport()->repaint();
    }
    bar->setValue(bar->maximum());
    view->viewport()->repaint();
    out.fullList = msSince(start);
    bar->setValue(0);
    for (int r = 0; r < page.model()->rowCount(); ++r)
        out.revoked += page.model()->text(r, yx::CertListModel::ColStatus) == QStringLiteral("已吊销");
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QApplication app(argc, argv);

    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::atoi(argv[i]));
    if (counts.empty())
        counts = {1000};
    constexpr int kRuns = 5;
    yxtest::ScopedDataRoot root;
    yxtest::TestCa ca;
    yxtest::HttpTestServer server;

#ifdef NDEBUG
    const char* build = "optimised build";
#else
    const char* build = "debug build";
#endif
    yx::OtherPeopleCertPage page;
    page.resize(800, 600);
    page.show();
    QApplication::processEvents();

    std::vector<yxtest::Issued> issued;
    std::vector<X509*> revoked;
    yxtest::CertProfile profile;
    profile.crlUrls = {server.url("/ca.crl")};
    {
        CCaCertStore caStore;
        CDigitalCertificate caCert(yx::CertContext::fromX509(ca.cert()));
        if (caStore.ImportCert(&caCert) != 0) {
            std::fprintf(stderr, "cannot import the CA\n");
            return 1;
        }
    }
    bool agree = true;
    for (const int certs : counts) {
        std::printf("making %d certificates...\n", certs);
        std::fflush(stdout);
        COtherCertStore other;
        for (int i = static_cast<int>(issued.size()); i < certs; ++i) {
            profile.cn = "证书持有人" + std::to_string(i);
            issued.push_back(ca.issue(profile));
            if (i % 50 == 0)
                revoked.push_back(issued.back().cert.get());
            CDigitalCertificate cert(yx::CertContext::fromX509(issued.back().cert.get()));
            if (other.ImportCert(&cert) != 0) {
                std::fprintf(stderr, "cannot import a certificate\n");
                return 1;
            }
        }
        server.setBody("/ca.crl", ca.crlDer(revoked));
        // The cache holds the CRL, as after an earlier online load; this run checks cache-only.
        yx::checkRevocation(*yx::CertContext::fromX509(issued.front().cert.get()), true);
        yx::settings::WriteProfileString("Common", "SartOnlineCRLCheck", "0");
        server.resetCounts();

        std::vector<double> core;
        int coreRevoked = 0;
        for (int i = 0; i < kRuns; ++i) {
            const CoreRun r = coreList();
            core.push_back(r.ms);
            coreRevoked = r.revoked;
        }

        struct Mode {
            const char* name;
            int command;
            bool textsAtFill;
            std::vector<double> loaded, first, full;
            int revoked = 0;
        } modes[] = {{"details view", 32787, false, {}, {}, {}},
                     {"large icons ", 32784, false, {}, {}, {}},
                     {"details view, texts made at load (previous)", 32787, true, {}, {}, {}}};
        for (int i = 0; i < kRuns; ++i) {
            for (Mode& m : modes) {
                yx::CertListModel::setTextsAtFill(m.textsAtFill);
                const PageRun r = pageList(page, m.command);
                m.loaded.push_back(r.loaded);
                m.first.push_back(r.firstPaint);
                m.full.push_back(r.fullList);
                m.revoked = r.revoked;
            }
        }
        yx::CertListModel::setTextsAtFill(false);

        std::printf("%d certificates, %zu revoked, cache-only, median of %d runs, %s\n", certs,
                    revoked.size(), kRuns, build);
        std::printf("core list (open, 4 texts, CRLCheck each) : %8.1f ms            revoked %d\n",
                    median(core), coreRevoked);
        agree = agree && coreRevoked == static_cast<int>(revoked.size());
        for (const Mode& m : modes) {
            std::printf(
                "page, %s: rows loaded %8.1f ms, first paint %8.1f ms, full list %8.1f ms  revoked %d\n",
                m.name, median(m.loaded), median(m.first), median(m.full), m.revoked);
            agree = agree && m.revoked == coreRevoked;
        }
        std::printf("first paint (details): %.1f ms, previous way %.1f ms, core list %.1f ms; "
                    "CRL fetches during the runs: %d\n",
                    median(modes[0].first), median(modes[2].first), median(core), server.totalRequests());
        agree = agree && server.totalRequests() == 0;
    }
    std::printf("results agree: %s\n", agree ? "yes" : "NO");
    return agree ? 0 : 1;
}
