// The three certificate pages driven as a user drives them. What they share runs as one table over
// the page kinds (export with its suffix rule, rename, delete); what one kind alone does follows:
// the revocation status from cache or network, the PFX import results, directory import, a drop.
// Last, the list load that runs beside the window: rows shown take commands while it runs, and a
// refresh starts it again cleanly.
#include "CertPageFixture.h"
#include "dialogs/DialogIds.h"
#include "directory/DlgLdapSearch.h"
#include "pages/CaCertPage.h"
#include "pages/CertListChecker.h"
#include "pages/OtherPeopleCertPage.h"
#include "pages/PersonalCertPage.h"

#include <QFileInfo>
#include <QMimeData>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QUrl>

using namespace certpagetest;

namespace {

enum PageKind { Personal, Other, Ca };

std::unique_ptr<yx::CertListPage> makePage(int kind) {
    if (kind == Personal)
        return std::make_unique<yx::PersonalCertPage>();
    if (kind == Other)
        return std::make_unique<yx::OtherPeopleCertPage>();
    return std::make_unique<yx::CaCertPage>();
}

} // namespace

class CertPagesTest : public QObject, public PageTestBase {
    Q_OBJECT

    // One certificate in the page's store (the CA page lists the test CA too, first).
    int fillOne(int kind, const Issued& cert) {
        if (kind == Personal)
            return addPersonal(cert, "工作证书");
        if (kind == Other)
            return addOther(cert);
        return addCa(cert.cert.get());
    }

    // The page of this kind shown and its list loaded.
    void open(int kind) {
        showPage(makePage(kind));
        page->activate();
        page->waitUntilLoaded();
    }

private slots:
    void initTestCase() { shortRevocationTimeouts(); }
    void init() { setUpEnv(); }
    void cleanup() { tearDown(); }

    void exportAppendsTheSuffixUnlessThereInAnyCase_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("pfx added") << int(Personal) << "plain" << QStringLiteral("plain.pfx");
        QTest::newRow("PFX kept") << int(Personal) << "upper.PFX" << QStringLiteral("upper.PFX");
        QTest::newRow("p12 is no pfx") << int(Personal) << "other.p12" << QStringLiteral("other.p12.pfx");
        QTest::newRow("cer added") << int(Other) << "a" << QStringLiteral("a.cer");
        QTest::newRow("cEr kept") << int(Other) << "c.cEr" << QStringLiteral("c.cEr");
        QTest::newRow("ca cer added") << int(Ca) << "root" << QStringLiteral("root.cer");
    }
    void exportAppendsTheSuffixUnlessThereInAnyCase() {
        QFETCH(int, kind);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        const Issued cert = pki->make("张伟", Kind::NoCrl);
        QCOMPARE(fillOne(kind, cert), 0);
        open(kind);
        leftClick(page.get(), page->model()->rowCount() - 1);
        const QString dir = q(files->path()) + QLatin1Char('/');
        // The PFX export dialog asks for a password twice; the certificate export dialog for the path.
        ModalScript script;
        const auto exportTo = [&](const QString& path) {
            if (kind == Personal)
                script.fill(yx::res::IDD_EXPORT_PFX,
                            {{1011, path}, {1012, QStringLiteral("口令")}, {1013, QStringLiteral("口令")}});
            else
                script.fill(yx::res::IDD_EXPORT_CERT, {{1011, path}});
        };
        exportTo(dir + typed);
        page->onCommand(yx::res::ID_CERT_EXPORT);
        QCOMPARE(prompt->messages.size(), size_t(1));
        QVERIFY(prompt->messages[0].icon == yx::MsgIcon::Information);
        QVERIFY2(QFileInfo(dir + written).isFile(), qPrintable(written));
        if (kind == Personal) { // the selected certificate with its key, under the password
            CMyCertStore fresh;
            QCOMPARE(fresh.ImportP12("", s(dir + written).c_str(), "口令"), 0);
        } else {
            QVERIFY(readFile(s(dir + written)) == cert.der());
        }
        prompt->clear();
        exportTo(dir + "no/such/folder/x");
        page->onCommand(yx::res::ID_CERT_EXPORT);
        QVERIFY(prompt->messages.size() == 1 && prompt->messages[0].icon == yx::MsgIcon::Error);
    }

    void renameSetsAndClearsTheFriendlyName_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("personal") << int(Personal);
        QTest::newRow("ca") << int(Ca);
    }
    void renameSetsAndClearsTheFriendlyName() {
        QFETCH(int, kind);
        QCOMPARE(fillOne(kind, pki->make("张伟", Kind::NoCrl)), 0);
        open(kind);
        leftClick(page.get(), 0);
        ModalScript script;
        script.fill(yx::res::IDD_FRIENDLY_NAME, {{1013, QStringLiteral("签名用")}});
        page->onCommand(yx::res::ID_CERT_PROPERTIES);
        QCOMPARE(page->model()->text(0, 3), QStringLiteral("签名用"));
        script.fill(yx::res::IDD_FRIENDLY_NAME, {{1013, QStringLiteral("不要")}}, false); // cancel: no change
        page->onCommand(yx::res::ID_CERT_PROPERTIES);
        page->onCommand(yx::res::ID_CERT_REFRESH);
        page->waitUntilLoaded();
        QCOMPARE(page->model()->text(0, 3), QStringLiteral("签名用"));
        script.fill(yx::res::IDD_FRIENDLY_NAME, {{1013, QString()}});
        page->onCommand(yx::res::ID_CERT_PROPERTIES);
        page->onCommand(yx::res::ID_CERT_REFRESH);
        page->waitUntilLoaded();
        QCOMPARE(page->model()->text(0, 3), QString());
        QVERIFY(prompt->messages.empty());
    }

    void deleteAsksOnlyWhereThereIsDelete_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("deletes");
        QTest::newRow("personal") << int(Personal) << true;
        QTest::newRow("other") << int(Other) << true;
        QTest::newRow("ca") << int(Ca) << false;
    }
    void deleteAsksOnlyWhereThereIsDelete() {
        QFETCH(int, kind);
        QFETCH(bool, deletes);
        QCOMPARE(fillOne(kind, pki->make("张伟", Kind::NoCrl)), 0);
        QCOMPARE(fillOne(kind, pki->make("李娜", Kind::NoCrl)), 0);
        open(kind);
        const int rows = page->model()->rowCount();
        leftClick(page.get(), 0);
        prompt->answer(yx::MsgAnswer::Cancel);
        page->onCommand(yx::res::ID_CERT_DELETE);
        page->waitUntilLoaded();
        QCOMPARE(page->model()->rowCount(), rows);
        prompt->answer(yx::MsgAnswer::Ok);
        page->onCommand(yx::res::ID_CERT_DELETE);
        page->waitUntilLoaded();
        QCOMPARE(prompt->messages.size(), size_t(deletes ? 2 : 0));
        QCOMPARE(page->model()->rowCount(), deletes ? rows - 1 : rows);
        if (kind == Ca) // nor a CRL check
            QVERIFY(!page->onCommand(yx::res::ID_CERT_CRL_CHECK));
    }

    void personalStatusFromCacheOrNetwork() {
        const std::pair<const char*, Kind> people[] = {
            {"张伟", Kind::Good}, {"李娜", Kind::Revoked}, {"刘洋", Kind::Error}, {"陈静", Kind::NoCrl}};
        for (const auto& [cn, kind] : people)
            QCOMPARE(addPersonal(pki->make(cn, kind)), 0);
        pki->publish();
        showPage(makePage(Personal));
        setOnlineChecks(false);
        page->activate();
        page->waitUntilLoaded();
        QCOMPARE(page->model()->text(0, 4), QStringLiteral("未知")); // nothing cached, nothing fetched
        QCOMPARE(page->model()->text(3, 4), QStringLiteral("无CRL"));
        QCOMPARE(pki->server.totalRequests(), 0);

        setOnlineChecks(true);
        page->onCommand(yx::res::ID_CERT_REFRESH);
        page->waitUntilLoaded();
        QCOMPARE(page->model()->text(0, 4), QStringLiteral("有效"));
        QCOMPARE(page->model()->text(1, 4), QStringLiteral("已吊销"));
        QCOMPARE(page->model()->text(2, 4), QStringLiteral("错误"));
        QCOMPARE(pki->server.requestCount("/root.crl"), 1); // shared by two, fetched once

        setOnlineChecks(false);
        pki->server.resetCounts();
        page->onCommand(yx::res::ID_CERT_REFRESH);
        page->waitUntilLoaded();
        QCOMPARE(page->model()->text(1, 4), QStringLiteral("已吊销"));
        QCOMPARE(pki->server.totalRequests(), 0);
    }

    // The page turns each import result into its message and reloads after every attempt.
    void personalImportReportsEveryResult() {
        open(Personal);
        auto good = pki->make("赵敏", Kind::NoCrl);
        const std::string dir = files->path();
        const QString okFile = q(writeFile(
            dir, "ok.pfx", makePfx(good.key.get(), good.cert.get(), {}, "口令1", PfxKind::TripleDes)));
        const QString junk = q(writeFile(dir, "junk.pfx", std::string("not a pfx at all")));
        const QString keyless = q(writeFile(
            dir, "nokey.pfx",
            makePfx(nullptr, pki->make("无钥", Kind::NoCrl).cert.get(), {}, "p", PfxKind::TripleDes)));
        QSignalSpy loaded(page.get(), &yx::CertListPage::listLoaded);
        ModalScript script;
        const struct {
            QString path, password, message;
            int reloads;
        } cases[] = {
            {QString(), QString(), QStringLiteral("请选定一个文件！"), 0},
            {q(dir) + "/missing.pfx", QString(), QStringLiteral("您所指定的文件不存在！"), 0},
            {junk, QStringLiteral("x"), QStringLiteral("导入失败，文件格式错误！"), 1},
            {okFile, QStringLiteral("错的"), QStringLiteral("导入失败，口令错误！"), 1},
            {keyless, QStringLiteral("p"), QStringLiteral("导入失败！"), 1},
            {okFile, QStringLiteral("口令1"), QStringLiteral("导入成功！"), 1},
        };
        for (const auto& c : cases) {
            prompt->clear();
            loaded.clear();
            script.fill(yx::res::IDD_IMPORT_PFX, {{1016, c.path}, {1015, c.password}});
            page->onCommand(yx::res::ID_CERT_IMPORT);
            page->waitUntilLoaded();
            QCOMPARE(messageTexts(*prompt), QStringList{c.message});
            QCOMPARE(loaded.count(), c.reloads);
        }
        QCOMPARE(page->model()->rowCount(), 1);
    }

    void otherDirectoryImportAddsTheChosenCertificate() {
        open(Other);
        auto found = std::make_shared<Issued>(pki->make("目录用户", Kind::NoCrl, "dir@example.cn"));
        ModalScript script;
        script.on(yx::res::IDD_LDAP_SEARCH, [found](QDialog* d) {
            auto* search = qobject_cast<CDlgLdapSearch*>(d);
            QVERIFY(search);
            search->setDirectoryQuery([found](const std::string&, const std::string& name, const std::string&,
                                              yx::OwnedCerts& out) {
                if (name == "客户")
                    out.push_back(
                        std::make_unique<CDigitalCertificate>(yx::CertContext::fromX509(found->cert.get())));
                return 0;
            });
            typeInto(d, 1071, QStringLiteral("客户"));
            click(d, 1074);
            QVERIFY(QTest::qWaitFor([search] { return !search->isSearching(); }, 5000));
            auto* list = d->findChild<QTreeWidget*>(QStringLiteral("1073"));
            QTRY_COMPARE(list->topLevelItemCount(), 1);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->topLevelItem(0)).center());
            click(d, 1);
        });
        page->onCommand(yx::res::ID_CERT_IMPORT_LDAP);
        page->waitUntilLoaded();
        QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("导入证书成功！")});
        QCOMPARE(page->model()->rowCount(), 1);
        QCOMPARE(page->model()->text(0, 0), QStringLiteral("目录用户"));
    }

    void otherDroppedCertificateFileIsImported() {
        open(Other);
        const QString path =
            q(writeFile(files->path(), "friend.CRT", pki->make("拖进来的", Kind::NoCrl).pem()));
        auto prefilled = std::make_shared<QString>();
        ModalScript script;
        script.on(yx::res::IDD_IMPORT_CERT, [prefilled](QDialog* d) {
            *prefilled = textOf(d, 1011);
            click(d, 1);
        });
        QWidget* viewport = page->listView()->currentView()->viewport();
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(viewport->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        enter.ignore();
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(viewport->rect().center()), Qt::CopyAction, &mime, Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        page->waitUntilLoaded();
        QTRY_COMPARE(*prefilled, path);
        QTRY_COMPARE(page->model()->rowCount(), 1);
        QCOMPARE(page->model()->text(0, 0), QStringLiteral("拖进来的"));
    }
    void refreshDuringLoadRestartsAndRowsTakeCommands() {
        yx::CertListChecker::setProgressDelayMs(300);
        for (int i = 0; i < 30; ++i)
            QCOMPARE(addOther(pki->make("分步" + std::to_string(i), i == 29 ? Kind::Good : Kind::NoCrl)), 0);
        pki->publish();
        setOnlineChecks(false);
        open(Other);
        QCOMPARE(page->model()->rowCount(), 30);

        // A reload under way: the rows already shown take commands, a refresh starts it again,
        // and only the last load ends, with every certificate once in store order. A row checked
        // meanwhile keeps what the network said, not the load's look into the empty cache.
        QSignalSpy loaded(page.get(), &yx::CertListPage::listLoaded);
        page->onCommand(yx::res::ID_CERT_REFRESH);
        QVERIFY(page->isLoading());
        page->onCommand(yx::res::ID_CERT_REFRESH);
        page->onCommand(yx::res::ID_CERT_REFRESH);
        QTest::qSleep(300); // the load's worker reads the empty cache meanwhile; no step is shown yet
        leftClick(page.get(), 29);
        page->onCommand(yx::res::ID_CERT_OPEN);
        QCOMPARE(prompt->viewed.size(), size_t(1));
        page->onCommand(yx::res::ID_CERT_CRL_CHECK);
        ModalScript rename; // and the name given meanwhile stays
        rename.fill(yx::res::IDD_FRIENDLY_NAME, {{1013, QStringLiteral("改名")}});
        page->onCommand(yx::res::ID_CERT_PROPERTIES);
        page->waitUntilLoaded();
        QCOMPARE(loaded.count(), 1);
        COtherCertStore store;
        QCOMPARE(store.OpenCertStore(), 0);
        QCOMPARE(page->model()->rowCount(), store.GetCertCount());
        QCOMPARE(page->store().GetCertCount(), store.GetCertCount());
        for (int r = 0; r < store.GetCertCount(); ++r) {
            std::string name;
            store.getCert(r)->getDisplayName(name);
            QCOMPARE(page->model()->text(r, 0), q(name));
            QCOMPARE(page->model()->text(r, 4), r == 29 ? QStringLiteral("有效") : QStringLiteral("无CRL"));
        }
        QCOMPARE(page->model()->text(29, 3), QStringLiteral("改名"));
        QCOMPARE(page->selected(), 29); // kept across the reloads
    }

    // Directly: results arrive in order, one per certificate, also for a null context.
    void checkerDeliversResultsInOrder() {
        auto good = pki->make("顺序", Kind::NoCrl);
        std::vector<yx::CertContextPtr> contexts = {yx::CertContext::fromX509(good.cert.get()), nullptr};
        std::vector<std::pair<int, QString>> got;
        yx::CertListChecker::run(nullptr, contexts, true,
                                 [&](int i, const QString& s) { got.emplace_back(i, s); });
        QCOMPARE(got, (std::vector<std::pair<int, QString>>{{0, QStringLiteral("无CRL")},
                                                            {1, QStringLiteral("错误")}}));
    }
};

QTEST_MAIN(CertPagesTest)
#include "CertPagesTest.moc"
