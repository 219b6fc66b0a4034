// Pictures of the three certificate pages filled with certificates of every revocation status
// (real ones: a test CA, its CRL and a forged one on a loopback server, an address that refuses
// connections), in the details view and the large-icon view, written to the screenshot folder
// for people to look at. The test also checks what a person would look for in them.
#include "CertPageFixture.h"
#include "GuiTestEnv.h"
#include "Revocation.h"
#include "pages/CaCertPage.h"
#include "pages/OtherPeopleCertPage.h"
#include "pages/PersonalCertPage.h"

#include <QFileInfo>
#include <QImage>
#include <QTreeView>

using namespace certpagetest;
using Kind = Pki::Kind;

namespace {

// Whether the picture holds a pixel close to `colour` (anti-aliased text has some).
bool hasColour(const QImage& image, QColor colour, int tolerance = 24) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) <= tolerance &&
                std::abs(c.green() - colour.green()) <= tolerance &&
                std::abs(c.blue() - colour.blue()) <= tolerance)
                return true;
        }
    return false;
}

} // namespace

class CertPageScreenshotTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<yxtest::ScopedGuiEnv> env;
    std::unique_ptr<RecordingPrompt> prompt;
    std::unique_ptr<yxtest::TempDir> files;
    std::unique_ptr<Pki> pki;
    std::unique_ptr<TestMenuBar> bar;

    // Shoots the page in both views; returns the details picture.
    QImage shoot(yx::CertListPage* page, const QString& name, int selectRow) {
        page->setMenuBarHost(bar.get());
        page->resize(820, 300);
        page->show();
        if (!QTest::qWaitForWindowExposed(page))
            return {};
        page->activate();
        page->onCommand(yx::res::ID_VIEW_DETAILS);
        leftClick(page, selectRow);
        QTest::qWait(20);
        const QString details = yxtest::saveScreenshot(page, name + QStringLiteral("_details"));
        page->onCommand(yx::res::ID_VIEW_LARGE_ICONS);
        QTest::qWait(20);
        const QString icons = yxtest::saveScreenshot(page, name + QStringLiteral("_icons"));
        if (!details.isEmpty()) {
            [&] {
                QVERIFY(QFileInfo(details).size() > 2000);
                QVERIFY(QFileInfo(icons).size() > 2000);
            }();
        }
        for (const auto& [id, suffix] : {std::pair{yx::res::ID_VIEW_SMALL_ICONS, "_smallicons"},
                                         std::pair{yx::res::ID_VIEW_LIST, "_list"}}) {
            page->onCommand(id);
            QTest::qWait(20);
            yxtest::saveScreenshot(page, name + QLatin1String(suffix));
        }
        page->onCommand(yx::res::ID_VIEW_DETAILS);
        return page->grab().toImage();
    }

private slots:
    void init() {
        env = std::make_unique<yxtest::ScopedGuiEnv>();
        prompt = std::make_unique<RecordingPrompt>();
        files = std::make_unique<yxtest::TempDir>();
        pki = std::make_unique<Pki>();
        bar = std::make_unique<TestMenuBar>();
        shortRevocationTimeouts();
        setOnlineChecks(true);
    }

    void cleanup() {
        bar.reset();
        pki.reset();
        files.reset();
        prompt.reset();
        env.reset();
    }

    void personalPage() {
        const struct {
            const char* cn;
            Kind kind;
            const char* friendly;
            long days;
        } rows[] = {
            {"张伟", Kind::Good, "工作签名", 365},  {"张伟（加密）", Kind::Good, "", 730},
            {"李娜", Kind::Revoked, "旧证书", 200}, {"王芳", Kind::Unknown, "", 90},
            {"刘洋", Kind::Error, "", 45},          {"陈静", Kind::NoCrl, "家用", 1000},
            {"赵磊 Zhao Lei", Kind::Good, "", 30},  {"孙丽", Kind::Revoked, "", 400},
            {"Li Ming", Kind::NoCrl, "", 600},
        };
        std::vector<yxtest::Issued> certs;
        for (const auto& r : rows)
            certs.push_back(pki->make(r.cn, r.kind, "", r.days));
        pki->publish();
        for (size_t i = 0; i < certs.size(); ++i)
            QCOMPARE(Pki::addPersonal(certs[i], files->path(), rows[i].friendly), 0);

        yx::PersonalCertPage page;
        const QImage image = shoot(&page, QStringLiteral("certpage_personal"), 2);
        const QStringList status = {"有效",  "有效", "已吊销", "未知", "错误",
                                    "无CRL", "有效", "已吊销", "无CRL"};
        for (int r = 0; r < status.size(); ++r)
            QCOMPARE(page.model()->text(r, 4), status[r]);
        QVERIFY(hasColour(image, QColor(0xb0, 0x1c, 0x1c))); // revoked rows stand out
        QVERIFY(hasColour(image, QColor(0x1b, 0x6e, 0x2f)));
        QCOMPARE(image.pixelColor(image.width() - 2, image.height() - 2), QColor(Qt::white)); // white page
    }

    void otherPeoplePage() {
        const struct {
            const char* cn;
            const char* email;
            Kind kind;
        } rows[] = {
            {"客户甲", "jia@example.cn", Kind::Good},       {"客户乙", "yi@example.cn", Kind::Revoked},
            {"供应商丙", "bing@example.cn", Kind::Unknown}, {"合作方丁", "ding@example.cn", Kind::Error},
            {"同事戊", "wu@example.cn", Kind::NoCrl},       {"Alice Chen", "alice@example.com", Kind::Good},
        };
        std::vector<yxtest::Issued> certs;
        for (const auto& r : rows)
            certs.push_back(pki->make(r.cn, r.kind, r.email));
        pki->publish();
        for (const auto& c : certs)
            QCOMPARE(Pki::addOther(c), 0);
        yx::OtherPeopleCertPage page;
        const QImage image = shoot(&page, QStringLiteral("certpage_otherpeople"), 0);
        const QStringList status = {"有效", "已吊销", "未知", "错误", "无CRL", "有效"};
        for (int r = 0; r < status.size(); ++r)
            QCOMPARE(page.model()->text(r, 4), status[r]);
        QVERIFY(hasColour(image, QColor(0xb3, 0x5c, 0x00))); // the error row
    }

    void caPage() {
        QCOMPARE(Pki::addCa(pki->otherCa.cert()), 0);
        yxtest::TestCa third("岚川测试企业CA", 5);
        QCOMPARE(Pki::addCa(third.cert()), 0);
        yx::CaCertPage page;
        shoot(&page, QStringLiteral("certpage_ca"), 1);
        QCOMPARE(page.model()->rowCount(), 3);
        QCOMPARE(page.model()->columnCount(), 4);
    }
};

QTEST_MAIN(CertPageScreenshotTest)
#include "CertPageScreenshotTest.moc"
