// The other-people page with 1,000 certificates of one CA (sharing one cached CRL, every 50th
// revoked), loaded cache-only: time from activation to the first paint of the list and to the
// full list (every row painted once, scrolling to the end), in the details and large-icon views,
// printed beside the core's own list time in the same run (open the store, read the four column
// texts and check revocation against the cache for every certificate, no Qt).
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
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
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

PageRun pageList(yx::OtherPeopleCertPage& page, int viewCommand) {
    page.onCommand(viewCommand);
    QApplication::processEvents();
    PageRun out;
    const auto start = Clock::now();
    page.activate();
    out.loaded = msSince(start);
    QAbstractItemView* view = page.listView()->currentView();
    view->viewport()->repaint(); // lays out what it needs and paints the first screen
    out.firstPaint = msSince(start);
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

    constexpr int kCerts = 1000;
    constexpr int kRuns = 5;
    yxtest::ScopedDataRoot root;
    yxtest::TestCa ca;
    yxtest::HttpTestServer server;

    std::printf("making %d certificates...\n", kCerts);
    std::vector<yxtest::Issued> issued;
    std::vector<X509*> revoked;
    yxtest::CertProfile profile;
    profile.crlUrls = {server.url("/ca.crl")};
    for (int i = 0; i < kCerts; ++i) {
        profile.cn = "证书持有人" + std::to_string(i);
        issued.push_back(ca.issue(profile));
        if (i % 50 == 0)
            revoked.push_back(issued.back().cert.get());
    }
    server.setBody("/ca.crl", ca.crlDer(revoked));
    {
        CCaCertStore caStore;
        CDigitalCertificate caCert(yx::CertContext::fromX509(ca.cert()));
        if (caStore.ImportCert(&caCert) != 0) {
            std::fprintf(stderr, "cannot import the CA\n");
            return 1;
        }
        COtherCertStore other;
        for (const auto& c : issued) {
            CDigitalCertificate cert(yx::CertContext::fromX509(c.cert.get()));
            if (other.ImportCert(&cert) != 0) {
                std::fprintf(stderr, "cannot import a certificate\n");
                return 1;
            }
        }
    }
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

    yx::OtherPeopleCertPage page;
    page.resize(800, 600);
    page.show();
    QApplication::processEvents();

    struct Mode {
        const char* name;
        int command;
        std::vector<double> loaded, first, full;
        int revoked = 0;
    } modes[] = {{"details view", 32787, {}, {}, {}}, {"large icons ", 32784, {}, {}, {}}};
    for (int i = 0; i < kRuns; ++i) {
        for (Mode& m : modes) {
            const PageRun r = pageList(page, m.command);
            m.loaded.push_back(r.loaded);
            m.first.push_back(r.firstPaint);
            m.full.push_back(r.fullList);
            m.revoked = r.revoked;
        }
    }

#ifdef NDEBUG
    const char* build = "optimised build";
#else
    const char* build = "debug build";
#endif
    std::printf("%d certificates, %zu revoked, cache-only, median of %d runs, %s\n", kCerts, revoked.size(),
                kRuns, build);
    std::printf("core list (open, 4 texts, CRLCheck each) : %8.1f ms            revoked %d\n", median(core),
                coreRevoked);
    bool agree = coreRevoked == static_cast<int>(revoked.size());
    for (const Mode& m : modes) {
        std::printf("page, %s: rows loaded %8.1f ms, first paint %8.1f ms, full list %8.1f ms  revoked %d\n",
                    m.name, median(m.loaded), median(m.first), median(m.full), m.revoked);
        agree = agree && m.revoked == coreRevoked;
    }
    std::printf("page over core at first paint (details): %.2fx; CRL fetches during the runs: %d\n",
                median(modes[0].first) / median(core), server.totalRequests());
    std::printf("results agree: %s\n", agree && server.totalRequests() == 0 ? "yes" : "NO");
    return agree ? 0 : 1;
}
