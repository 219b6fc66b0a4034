// The other-people page with 1,000 certificates of one CA (sharing one cached CRL, every 50th
// revoked; other counts on the command line, "1000 10000"), loaded cache-only: time from
// activation to the first paint of the list, to the end of the load (every row and status in)
// and to the full list (every row painted once, scrolling to the end), and the longest time the
// window did not answer meanwhile, in the details and large-icon views, printed beside the
// previous way of loading (the whole store read and checked, then painted) and the core's own
// list time in the same run (open the store, read the four column texts and check revocation
// against the cache for every certificate, no Qt).
// Also, in the same run: importing the certificates one by one into a store, with the order file
// appended per add beside the previous adds (folder rescanned, order file rewritten and synced
// per add; over the last 200 adds only where the whole import would take minutes), and the
// program's start-up to its first paint of the main window with these stores, beside the
// previous start-up that built every page before the window showed.
#include "CertStore.h"
#include "DiskCertStore.h"
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
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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
    double loaded = 0, firstPaint = 0, fullList = 0, longestStall = 0;
    int revoked = 0;
};

// The time of the first paint of a view that shows rows.
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

// The longest gap between two turns of the event loop: how long the window did not answer.
class StallMeter : public QObject {
public:
    StallMeter() {
        m_clock.start();
        m_timer.setInterval(2);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { note(); });
        m_timer.start();
    }
    double longest() {
        note();
        return m_longest;
    }

private:
    void note() { m_longest = std::max(m_longest, static_cast<double>(m_clock.restart())); }
    QElapsedTimer m_clock;
    QTimer m_timer;
    double m_longest = 0;
};

PageRun pageList(yx::OtherPeopleCertPage& page, int viewCommand, bool whole) {
    yx::CertListPage::setLoadWhole(whole);
    page.onCommand(viewCommand);
    page.waitUntilLoaded();
    QApplication::processEvents();
    PageRun out;
    QAbstractItemView* view = page.listView()->currentView();
    const auto start = Clock::now();
    FirstPaint painted(page.model(), start);
    view->viewport()->installEventFilter(&painted);
    StallMeter stall;
    page.activate();
    // The window paints as the event loop turns; the whole-store load has ended by now.
    while (!painted.ms && page.isLoading())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (!painted.ms)
        view->viewport()->repaint(); // lays out what it needs and paints the first screen
    out.firstPaint = painted.ms.value_or(msSince(start));
    page.waitUntilLoaded();
    out.loaded = msSince(start);
    out.longestStall = stall.longest();
    view->viewport()->removeEventFilter(&painted);
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
    yx::CertListPage::setLoadWhole(false);
    return out;
}

// Adds certificates [from, to) of `ders` to `store`; milliseconds taken.
double addAll(yx::DiskCertStore& store, const std::vector<std::vector<unsigned char>>& ders, size_t from,
              size_t to, bool previous) {
    yx::DiskCertStore::setRewriteOrderOnAdd(previous);
    const auto start = Clock::now();
    for (size_t i = from; i < to; ++i)
        if (!store.add(ders[i], {}, std::nullopt, std::string()))
            std::fprintf(stderr, "an add failed\n");
    yx::DiskCertStore::setRewriteOrderOnAdd(false);
    return msSince(start);
}

// The program started with the data root of this run, quitting after its first paint.
std::optional<double> startUp(bool eagerPages) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("YAOXIA_QUIT_WHEN_PAINTED"), QStringLiteral("1"));
    if (!env.contains(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS")))
        env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"),
                   QStringLiteral("--no-sandbox")); // run as root
    if (eagerPages)
        env.insert(QStringLiteral("YAOXIA_EAGER_PAGES"), QStringLiteral("1"));
    else
        env.remove(QStringLiteral("YAOXIA_EAGER_PAGES"));
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    env.insert(QStringLiteral("YAOXIA_START_NS"),
               QString::number(static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec));
    program.setProcessEnvironment(env);
    program.start(QString::fromUtf8(YAOXIA_PROGRAM), {});
    if (!program.waitForFinished(60000))
        return std::nullopt;
    const QString out = QString::fromUtf8(program.readAllStandardOutput());
    const qsizetype at = out.indexOf(QStringLiteral("painted after "));
    if (at < 0)
        return std::nullopt;
    return out.mid(at + 14).section(QLatin1Char(' '), 0, 0).toDouble();
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
    std::vector<std::vector<unsigned char>> ders;
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
            ders.push_back(cert.getPCCERT()->der);
            if (other.ImportCert(&cert) != 0) {
                std::fprintf(stderr, "cannot import a certificate\n");
                return 1;
            }
        }
        {
            // Imports into a store of its own: the whole import now; the previous adds over the
            // whole import into another store where that is quick enough, else over the last 200
            // adds again, taken out of the first store and added back the previous way.
            const size_t n = static_cast<size_t>(certs);
            const size_t tail = std::min<size_t>(200, n);
            QTemporaryDir side;
            yx::DiskCertStore now(side.path().toStdString() + "/now", false);
            const double nowHead = addAll(now, ders, 0, n - tail, false);
            const double nowTail = addAll(now, ders, n - tail, n, false);
            const bool wholeBefore = n <= 2000;
            double beforeHead = 0, beforeTail = 0;
            std::vector<yx::StoreEntry> a, b;
            if (wholeBefore) {
                yx::DiskCertStore before(side.path().toStdString() + "/before", false);
                beforeHead = addAll(before, ders, 0, n - tail, true);
                beforeTail = addAll(before, ders, n - tail, n, true);
                before.load(b);
            } else {
                for (size_t i = n - tail; i < n; ++i)
                    now.remove(yx::DiskCertStore::entryIdOf(ders[i]));
                beforeTail = addAll(now, ders, n - tail, n, true);
            }
            now.load(a);
            bool same = a.size() == n && (!wholeBefore || b.size() == n);
            for (size_t i = 0; same && i < n; ++i)
                same =
                    a[i].id == yx::DiskCertStore::entryIdOf(ders[i]) && (!wholeBefore || b[i].id == a[i].id);
            agree = agree && same;
            std::printf("import of %zu, one by one: %.0f ms (last %zu adds %.2f ms each); previous adds: ", n,
                        nowHead + nowTail, tail, nowTail / static_cast<double>(tail));
            if (wholeBefore)
                std::printf("%.0f ms (last %zu adds %.2f ms each)\n", beforeHead + beforeTail, tail,
                            beforeTail / static_cast<double>(tail));
            else
                std::printf("last %zu adds %.2f ms each\n", tail, beforeTail / static_cast<double>(tail));
            std::fflush(stdout);
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
            bool whole;
            std::vector<double> loaded, first, full, stall;
            int revoked = 0;
        } modes[] = {{"details view, in steps", 32787, false, {}, {}, {}, {}},
                     {"large icons,  in steps", 32784, false, {}, {}, {}, {}},
                     {"details view, whole store, then paint (previous)", 32787, true, {}, {}, {}, {}}};
        for (int i = 0; i < kRuns; ++i) {
            for (Mode& m : modes) {
                const PageRun r = pageList(page, m.command, m.whole);
                m.loaded.push_back(r.loaded);
                m.first.push_back(r.firstPaint);
                m.full.push_back(r.fullList);
                m.stall.push_back(r.longestStall);
                m.revoked = r.revoked;
            }
        }

        std::printf("%d certificates, %zu revoked, cache-only, median of %d runs, %s\n", certs,
                    revoked.size(), kRuns, build);
        std::printf("core list (open, 4 texts, CRLCheck each) : %8.1f ms            revoked %d\n",
                    median(core), coreRevoked);
        agree = agree && coreRevoked == static_cast<int>(revoked.size());
        for (const Mode& m : modes) {
            std::printf("page, %s: first paint %8.1f ms, loaded %8.1f ms, full list %8.1f ms, "
                        "longest stall %8.1f ms  revoked %d\n",
                        m.name, median(m.first), median(m.loaded), median(m.full), median(m.stall),
                        m.revoked);
            agree = agree && m.revoked == coreRevoked;
        }
        std::printf("first paint (details): %.1f ms, previous way %.1f ms, core list %.1f ms; "
                    "CRL fetches during the runs: %d\n",
                    median(modes[0].first), median(modes[2].first), median(core), server.totalRequests());
        agree = agree && server.totalRequests() == 0;

        std::vector<double> lazy, eager;
        for (int i = 0; i < kRuns; ++i) {
            const auto a = startUp(false);
            const auto b = startUp(true);
            if (!a || !b) {
                std::printf("start-up: the program did not report its first paint\n");
                agree = false;
                break;
            }
            lazy.push_back(*a);
            eager.push_back(*b);
        }
        if (!lazy.empty())
            std::printf("start-up to the main window's first paint, %d certificates in the stores: %.1f ms; "
                        "every page built first (previous): %.1f ms\n",
                        certs + 1, median(lazy), median(eager));
    }
    std::printf("results agree: %s\n", agree ? "yes" : "NO");
    return agree ? 0 : 1;
}
