// The personal certificate page driven as a user drives it: loads with every revocation status,
// menus in the menu bar and at the cursor, the four views, keys, and each flow with its messages
// (PFX import and export, rename, delete, CRL check, a dropped file).
#include "pages/PersonalCertPage.h"
#include "CertPageFixture.h"
#include "DataPaths.h"
#include "Revocation.h"
#include "ShellHelpers.h"
#include "pages/CertListChecker.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QListView>
#include <QMimeData>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTreeView>
#include <QUrl>

using namespace certpagetest;
using Kind = Pki::Kind;

class PersonalCertPageTest : public QObject, public PageTestBase<yx::PersonalCertPage> {
    Q_OBJECT

private:
    // Five certificates, one of each status, in the personal store (`certs`, in this order: good,
    // revoked, unknown, error, no CRL).
    void fillStore() {
        const std::pair<const char*, Kind> profile[] = {{"张伟", Kind::Good},
                                                        {"李娜", Kind::Revoked},
                                                        {"王芳", Kind::Unknown},
                                                        {"刘洋", Kind::Error},
                                                        {"陈静", Kind::NoCrl}};
        for (const auto& [cn, kind] : profile)
            certs.push_back(pki->make(cn, kind));
        pki->publish();
        for (size_t i = 0; i < certs.size(); ++i)
            QCOMPARE(Pki::addPersonal(certs[i], files->path(), i == 0 ? "工作证书" : ""), 0);
    }

    const QString noSelectionOps = QStringLiteral("32782 导入,-,32778 刷新...,-,57670 帮助");
    const QString rowOps =
        QStringLiteral("32774 打开,-,32775 导出...,32776 删除...,32778 刷新,-,32779 CRL检查,32780 "
                       "属性,-,32870 发布到浏览器和邮件程序...,32871 从浏览器和邮件程序撤回...,-,57670 帮助");

private slots:
    void initTestCase() { shortRevocationTimeouts(); }

    void init() { setUpPage(); }

    void cleanup() { tearDown(); }

    void listIsEmptyUntilActivatedAndStartsWithLargeIcons() {
        fillStore();
        QCOMPARE(page->model()->rowCount(), 0);
        QCOMPARE(page->selected(), -1);
        QCOMPARE(page->listView()->mode(), yx::CertListView::Mode::LargeIcons);
        QCOMPARE(page->listView()->objectName(), QStringLiteral("1004"));
        QCOMPARE(page->objectName(), QStringLiteral("131"));
        page->activate();
        QCOMPARE(page->model()->rowCount(), 5);
    }

    void columnsHoldHolderIssuerDateNameAndStatus() {
        fillStore();
        setOnlineChecks(true);
        page->activate();
        const yx::CertListModel* m = page->model();
        QCOMPARE(m->columnCount(), 5);
        const QStringList titles = {"颁发给", "颁发者", "截止日期", "好记的名字", "证书状态"};
        const int widths[] = {200, 200, 150, 80, 80};
        QHeaderView* header = page->listView()->detailsView()->header();
        for (int c = 0; c < 5; ++c) {
            QCOMPARE(m->headerData(c, Qt::Horizontal).toString(), titles[c]);
            QCOMPARE(header->sectionSize(c), widths[c]);
        }
        const QStringList names = {"张伟", "李娜", "王芳", "刘洋", "陈静"};
        const QStringList statuses = {"有效", "已吊销", "未知", "错误", "无CRL"};
        const QRegularExpression date(QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}$"));
        for (int r = 0; r < 5; ++r) {
            QCOMPARE(m->text(r, 0), names[r]); // store order
            QCOMPARE(m->text(r, 1), QStringLiteral("钥匣测试根CA"));
            QVERIFY2(date.match(m->text(r, 2)).hasMatch(), qPrintable(m->text(r, 2)));
            QCOMPARE(m->text(r, 4), statuses[r]);
            QVERIFY(!m->data(m->index(r, 0), Qt::DecorationRole).value<QIcon>().isNull());
            QVERIFY(m->data(m->index(r, 1), Qt::DecorationRole).isNull()); // image 0 on the row only
        }
        QCOMPARE(m->text(0, 3), QStringLiteral("工作证书"));
        QCOMPARE(m->text(1, 3), QString());
        // The date is the certificate's own validity end.
        std::string to;
        CDigitalCertificate(yx::CertContext::fromX509(certs[0].cert.get())).getValidToDate(to);
        QCOMPARE(m->text(0, 2), u(to));
    }

    void cacheOnlyLoadUsesTheCacheAndOnlineLoadFillsIt() {
        fillStore();
        setOnlineChecks(false);
        page->activate();
        // Nothing is cached yet: every CRL-bearing certificate is unknown; nothing was fetched.
        QCOMPARE(page->model()->text(0, 4), QStringLiteral("未知"));
        QCOMPARE(page->model()->text(1, 4), QStringLiteral("未知"));
        QCOMPARE(page->model()->text(4, 4), QStringLiteral("无CRL"));
        QCOMPARE(pki->server.totalRequests(), 0);

        setOnlineChecks(true);
        page->onCommand(yx::res::ID_CERT_REFRESH);
        QCOMPARE(page->model()->text(0, 4), QStringLiteral("有效"));
        QCOMPARE(page->model()->text(1, 4), QStringLiteral("已吊销"));
        // Two certificates share one CRL; one load fetches it once.
        QCOMPARE(pki->server.requestCount("/root.crl"), 1);

        setOnlineChecks(false);
        pki->server.resetCounts();
        page->onCommand(yx::res::ID_CERT_REFRESH);
        QCOMPARE(page->model()->text(0, 4), QStringLiteral("有效"));
        QCOMPARE(page->model()->text(1, 4), QStringLiteral("已吊销"));
        QCOMPARE(pki->server.totalRequests(), 0);
    }

    void crlCheckCommandChecksOnlineWhateverTheSetting() {
        fillStore();
        setOnlineChecks(false);
        page->activate();
        QCOMPARE(page->model()->text(1, 4), QStringLiteral("未知"));
        leftClick(page.get(), 1);
        QCOMPARE(page->selected(), 1);
        QVERIFY(page->onCommand(yx::res::ID_CERT_CRL_CHECK));
        QCOMPARE(page->model()->text(1, 4), QStringLiteral("已吊销"));
        QCOMPARE(page->model()->text(0, 4), QStringLiteral("未知")); // only the selected row
        QCOMPARE(pki->server.requestCount("/root.crl"), 1);
        QVERIFY(prompt->messages.empty());
    }

    void activationMergesNoSelectionFormAndViewMenu() {
        fillStore();
        page->activate();
        QCOMPARE(bar->titleAt(2), QStringLiteral("操作(&O)"));
        QCOMPARE(bar->titleAt(3), QStringLiteral("查看(&V)"));
        QCOMPARE(bar->titleAt(4), QStringLiteral("帮助(&H)"));
        QCOMPARE(bar->bar.actions().size(), 5);
        QCOMPARE(opsMenuText(), noSelectionOps);
        QCOMPARE(join(describe(bar->menuAt(3))),
                 QStringLiteral("32784 大图标,32785 小图标,32786 列表,32787 详细信息"));
        // Every item is enabled, details included.
        for (QAction* a : bar->menuAt(3)->actions())
            QVERIFY(a->isEnabled());
    }

    void leftClickSetsSelectedAndMergesTheOperationMenu() {
        fillStore();
        page->activate();
        leftClick(page.get(), 2);
        QCOMPARE(page->selected(), 2);
        QCOMPARE(opsMenuText(), rowOps);
        leftClick(page.get(), -1);
        QCOMPARE(page->selected(), -1);
        QCOMPARE(opsMenuText(), noSelectionOps);
        // The same in the details view.
        page->onCommand(yx::res::ID_VIEW_DETAILS);
        leftClick(page.get(), 4);
        QCOMPARE(page->selected(), 4);
        QCOMPARE(opsMenuText(), rowOps);
    }

    void rowContextMenuOpensTheCertificate() {
        fillStore();
        page->activate();
        auto seen = std::make_shared<QStringList>();
        chooseInNextPopup({}, yx::res::ID_CERT_OPEN, seen);
        rightClick(page.get(), 3);
        QCOMPARE(
            join(*seen),
            QStringLiteral(
                "32774 打开,-,32775 导出...,32776 删除...,-,32778 刷新,-,32779 CRL检查,"
                "32780 属性,-,32870 发布到浏览器和邮件程序...,32871 从浏览器和邮件程序撤回...,-,57670 帮助"));
        QCOMPARE(page->selected(), 3);
        QCOMPARE(prompt->viewed.size(), size_t(1));
        QVERIFY(prompt->viewed[0] == certs[3].der());
        QCOMPARE(opsMenuText(), rowOps); // merged after the menu closed
    }

    void emptySpaceContextMenuSwitchesTheView() {
        fillStore();
        page->activate();
        leftClick(page.get(), 1);
        auto seen = std::make_shared<QStringList>();
        chooseInNextPopup({QStringLiteral("查看")}, yx::res::ID_VIEW_DETAILS, seen);
        rightClick(page.get(), -1);
        QCOMPARE(join(*seen),
                 QStringLiteral("32782 导入,-,32778 刷新...,-,[查看],  32784 大图标,  32785 小图标,"
                                "  32786 列表,  32787 详细信息,57670 帮助"));
        QCOMPARE(page->selected(), -1);
        QCOMPARE(opsMenuText(), noSelectionOps);
        QCOMPARE(page->listView()->mode(), yx::CertListView::Mode::Details);
        QVERIFY(page->listView()->currentView() == page->listView()->detailsView());
    }

    void menuKeyOpensTheContextMenuOfTheCurrentRow() {
        fillStore();
        page->activate();
        QAbstractItemView* view = page->listView()->currentView();
        view->setFocus();
        view->setCurrentIndex(page->model()->index(2, 0));
        auto seen = std::make_shared<QStringList>();
        chooseInNextPopup({}, yx::res::ID_CERT_OPEN, seen);
        // What the desktop sends for the Menu key: a keyboard context-menu request to the focus.
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(0, 0), view->mapToGlobal(QPoint(0, 0)));
        QApplication::sendEvent(view, &menuKey);
        QCOMPARE(prompt->viewed.size(), size_t(1));
        QVERIFY(prompt->viewed[0] == certs[2].der());
        QCOMPARE(page->selected(), 2);
        QVERIFY(seen->startsWith(QStringLiteral("32774 打开")));

        // Without a current row the Menu key gives the empty-space menu.
        view->selectionModel()->clearCurrentIndex();
        chooseInNextPopup({}, -1, seen);
        QApplication::sendEvent(view, &menuKey);
        QVERIFY(seen->startsWith(QStringLiteral("32782 导入")));
        QCOMPARE(page->selected(), -1);
    }

    void keysGoThroughTheCommands() {
        fillStore();
        page->activate();
        page->onCommand(yx::res::ID_VIEW_DETAILS);
        QAbstractItemView* view = page->listView()->currentView();
        view->setFocus();
        view->setCurrentIndex(page->model()->index(0, 0));
        QTest::keyClick(view, Qt::Key_Down); // moves the current row: it becomes `selected`
        QCOMPARE(page->selected(), 1);
        QCOMPARE(opsMenuText(), rowOps);
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(prompt->viewed.size(), size_t(1));
        QVERIFY(prompt->viewed[0] == certs[1].der());

        prompt->answer(yx::MsgAnswer::Ok);
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("您确信删除您的证书吗？")});
        QCOMPARE(page->model()->rowCount(), 4);
        QCOMPARE(page->model()->text(1, 0), QStringLiteral("王芳"));

        // F5 reloads: a certificate added behind the page's back shows up.
        auto extra = pki->make("周杰", Kind::NoCrl);
        QCOMPARE(Pki::addPersonal(extra, files->path()), 0);
        QTest::keyClick(view, Qt::Key_F5);
        QCOMPARE(page->model()->rowCount(), 5);
        QCOMPARE(page->model()->text(4, 0), QStringLiteral("周杰"));
    }

    void doubleClickOpensTheRowAndNothingOnEmptySpace() {
        fillStore();
        page->activate();
        for (auto mode : {yx::res::ID_VIEW_LARGE_ICONS, yx::res::ID_VIEW_DETAILS}) {
            page->onCommand(mode);
            QAbstractItemView* view = page->listView()->currentView();
            prompt->viewed.clear();
            const QPoint row3 = view->visualRect(page->model()->index(3, 0)).center();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row3); // the first click of the two
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, row3);
            QCOMPARE(prompt->viewed.size(), size_t(1));
            QVERIFY(prompt->viewed[0] == certs[3].der());
            const QPoint empty(view->viewport()->width() - 3, view->viewport()->height() - 3);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, empty);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, empty);
            QCOMPARE(prompt->viewed.size(), size_t(1));
        }
    }

    void viewCommandsSwitchBetweenFourViews() {
        fillStore();
        page->activate();
        yx::CertListView* lv = page->listView();
        lv->currentView()->setCurrentIndex(page->model()->index(3, 0));
        struct Case {
            int id;
            yx::CertListView::Mode mode;
            bool details;
            int icon;
        } cases[] = {{yx::res::ID_VIEW_SMALL_ICONS, yx::CertListView::Mode::SmallIcons, false, 16},
                     {yx::res::ID_VIEW_LIST, yx::CertListView::Mode::List, false, 16},
                     {yx::res::ID_VIEW_DETAILS, yx::CertListView::Mode::Details, true, 16},
                     {yx::res::ID_VIEW_LARGE_ICONS, yx::CertListView::Mode::LargeIcons, false, 32}};
        for (const Case& c : cases) {
            QVERIFY(page->onCommand(c.id));
            QCOMPARE(lv->mode(), c.mode);
            QCOMPARE(lv->currentView() == lv->detailsView(), c.details);
            QVERIFY(lv->currentView()->isVisible());
            QCOMPARE(lv->currentView()->iconSize(), QSize(c.icon, c.icon));
            QCOMPARE(page->model()->largeIcons(), c.icon == 32);
            QCOMPARE(lv->currentRow(), 3); // one selection model for all views
            // The view menu in the menu bar marks the view shown.
            QAction* mark = yx::menus::findCommand(bar->menuAt(3), c.id);
            QVERIFY(mark && mark->isChecked());
        }
        QCOMPARE(lv->iconView()->viewMode(), QListView::IconMode);
        QCOMPARE(lv->iconView()->movement(), QListView::Static); // icons cannot be dragged about
        page->onCommand(yx::res::ID_VIEW_LIST);
        QCOMPARE(lv->iconView()->flow(), QListView::TopToBottom);
        page->onCommand(yx::res::ID_VIEW_SMALL_ICONS);
        QCOMPARE(lv->iconView()->flow(), QListView::LeftToRight);
        // Full-row selection: the whole row is selected in the details view.
        page->onCommand(yx::res::ID_VIEW_DETAILS);
        leftClick(page.get(), 2);
        QVERIFY(lv->detailsView()->selectionModel()->isRowSelected(2, QModelIndex()));
    }

    void selectedSurvivesReloadAndCommandsPastTheEndDoNothing() {
        fillStore();
        page->activate();
        leftClick(page.get(), 4);
        QCOMPARE(page->selected(), 4);
        page->onCommand(yx::res::ID_CERT_REFRESH);
        QCOMPARE(page->selected(), 4);
        page->onCommand(yx::res::ID_CERT_OPEN);
        QCOMPARE(prompt->viewed.size(), size_t(1));
        QVERIFY(prompt->viewed[0] == certs[4].der());

        // The certificate goes away behind the page's back: `selected` now points past the end.
        CMyCertStore store;
        QCOMPARE(store.OpenCertStore(), 0);
        QVERIFY(store.Remove(4));
        page->onCommand(yx::res::ID_CERT_REFRESH);
        QCOMPARE(page->model()->rowCount(), 4);
        QCOMPARE(page->selected(), 4);
        for (int id : {yx::res::ID_CERT_OPEN, yx::res::ID_CERT_EXPORT, yx::res::ID_CERT_DELETE,
                       yx::res::ID_CERT_CRL_CHECK, yx::res::ID_CERT_PROPERTIES})
            QVERIFY(page->onCommand(id));
        QCOMPARE(prompt->viewed.size(), size_t(1));
        QVERIFY(prompt->messages.empty());
        QCOMPARE(page->model()->rowCount(), 4);
    }

    void deleteAsksAndReloads() {
        fillStore();
        page->activate();
        leftClick(page.get(), 0);
        prompt->answer(yx::MsgAnswer::Cancel);
        page->onCommand(yx::res::ID_CERT_DELETE);
        QCOMPARE(prompt->messages.size(), size_t(1));
        const auto& ask = prompt->messages[0];
        QCOMPARE(u(ask.text), QStringLiteral("您确信删除您的证书吗？"));
        QCOMPARE(u(ask.caption), QStringLiteral("钥匣"));
        QVERIFY(ask.icon == yx::MsgIcon::Warning);
        QVERIFY(ask.buttons == yx::MsgButtons::OkCancel);
        QCOMPARE(page->model()->rowCount(), 5);

        prompt->answer(yx::MsgAnswer::Ok);
        QSignalSpy loaded(page.get(), &yx::CertListPage::listLoaded);
        page->onCommand(yx::res::ID_CERT_DELETE);
        QCOMPARE(loaded.count(), 1);
        QCOMPARE(prompt->messages.size(), size_t(2)); // nothing after the question
        QCOMPARE(page->model()->rowCount(), 4);
        QCOMPARE(page->model()->text(0, 0), QStringLiteral("李娜"));
        CMyCertStore store;
        store.OpenCertStore();
        QCOMPARE(store.GetCertCount(), 4);
        QCOMPARE(page->selected(), 0); // kept: it now names the next certificate
    }

    void renameSetsAndClearsTheFriendlyName() {
        fillStore();
        page->activate();
        leftClick(page.get(), 0);
        auto title = std::make_shared<QString>();
        onNextModal([title](QDialog* d) {
            *title = d->objectName() + QLatin1Char(' ') + d->windowTitle();
            QCOMPARE(field(d, 1013), QStringLiteral("工作证书")); // column 3 as it stands
            setField(d, 1013, QStringLiteral("签名用"));
            click(d, 1);
        });
        page->onCommand(yx::res::ID_CERT_PROPERTIES);
        QCOMPARE(*title, QStringLiteral("159 证书属性"));
        QCOMPARE(page->model()->text(0, 3), QStringLiteral("签名用"));

        answerNextDialog({{1013, QString()}});
        page->onCommand(yx::res::ID_CERT_PROPERTIES);
        QCOMPARE(page->model()->text(0, 3), QString());
        QVERIFY(prompt->messages.empty());
        // The store has lost the name too.
        page->onCommand(yx::res::ID_CERT_REFRESH);
        QCOMPARE(page->model()->text(0, 3), QString());
        CMyCertStore store;
        store.OpenCertStore();
        const auto& stored = store.getCert(0)->getPCCERT()->friendlyName;
        QVERIFY(!stored || stored->empty());

        // Cancel changes nothing.
        answerNextDialog({{1013, QStringLiteral("不要")}}, false);
        page->onCommand(yx::res::ID_CERT_PROPERTIES);
        QCOMPARE(page->model()->text(0, 3), QString());
    }

    void exportAppendsPfxUnlessThereInAnyCase() {
        fillStore();
        page->activate();
        leftClick(page.get(), 0);
        const QString dir = QString::fromStdString(files->path());
        struct Case {
            QString typed, written;
        } cases[] = {{dir + "/plain", dir + "/plain.pfx"},
                     {dir + "/upper.PFX", dir + "/upper.PFX"},
                     {dir + "/mixed.Pfx", dir + "/mixed.Pfx"},
                     {dir + "/other.p12", dir + "/other.p12.pfx"}};
        for (const Case& c : cases) {
            prompt->clear();
            answerNextDialog(
                {{1011, c.typed}, {1012, QStringLiteral("导出口令")}, {1013, QStringLiteral("导出口令")}});
            page->onCommand(yx::res::ID_CERT_EXPORT);
            QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("导出证书成功！")});
            QVERIFY(prompt->messages[0].icon == yx::MsgIcon::Information);
            QVERIFY2(QFileInfo(c.written).isFile(), qPrintable(c.written));
            QVERIFY(!QFileInfo(c.written + QStringLiteral(".pfx")).exists());
        }
        // The file holds the selected certificate and its key under the password.
        CMyCertStore fresh;
        QCOMPARE(fresh.ImportP12("", (dir + "/plain.pfx").toUtf8().constData(), "导出口令"), 0);

        prompt->clear();
        answerNextDialog({{1011, dir + "/no/such/folder/x"}});
        page->onCommand(yx::res::ID_CERT_EXPORT);
        QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("导出失败！")});
        QVERIFY(prompt->messages[0].icon == yx::MsgIcon::Error);

        prompt->clear();
        answerNextDialog({{1011, dir + "/cancelled"}}, false);
        page->onCommand(yx::res::ID_CERT_EXPORT);
        QVERIFY(prompt->messages.empty());
        QVERIFY(!QFileInfo(dir + "/cancelled.pfx").exists());
    }

    void importReportsEveryResultAndReloads() {
        page->activate();
        QCOMPARE(page->model()->rowCount(), 0);
        auto good = pki->make("赵敏", Kind::NoCrl);
        const std::string dir = files->path();
        const QString okFile = u(yxtest::writeFile(
            dir, "ok.pfx",
            yxtest::makePfx(good.key.get(), good.cert.get(), {}, "口令1", yxtest::PfxKind::TripleDes)));
        const QString junk = u(yxtest::writeFile(dir, "junk.pfx", std::string("not a pfx at all")));
        const QString keyless =
            u(yxtest::writeFile(dir, "nokey.pfx",
                                yxtest::makePfx(nullptr, pki->make("无钥", Kind::NoCrl).cert.get(), {}, "p",
                                                yxtest::PfxKind::TripleDes)));

        QSignalSpy loaded(page.get(), &yx::CertListPage::listLoaded);
        struct Case {
            QString path, password;
            QString message;
            yx::MsgIcon icon;
            int reloads;
        } cases[] = {
            {QString(), QString(), QStringLiteral("请选定一个文件！"), yx::MsgIcon::Error, 0},
            {u(dir) + "/missing.pfx", QString(), QStringLiteral("您所指定的文件不存在！"), yx::MsgIcon::Error,
             0},
            {junk, QStringLiteral("x"), QStringLiteral("导入失败，文件格式错误！"), yx::MsgIcon::Error,
             1}, // 6
            {okFile, QStringLiteral("错的"), QStringLiteral("导入失败，口令错误！"), yx::MsgIcon::Error,
             1}, // 7
            {keyless, QStringLiteral("p"), QStringLiteral("导入失败！"), yx::MsgIcon::Error, 1},
            {okFile, QStringLiteral("口令1"), QStringLiteral("导入成功！"), yx::MsgIcon::Information, 1},
        };
        for (const Case& c : cases) {
            prompt->clear();
            loaded.clear();
            auto title = std::make_shared<QString>();
            answerNextDialog({{1016, c.path}, {1015, c.password}}, true, title);
            page->onCommand(yx::res::ID_CERT_IMPORT);
            QCOMPARE(*title, QStringLiteral("160 导入证书"));
            QCOMPARE(messageTexts(*prompt), QStringList{c.message});
            QVERIFY(prompt->messages[0].icon == c.icon);
            QCOMPARE(u(prompt->messages[0].caption), QStringLiteral("钥匣"));
            QCOMPARE(loaded.count(), c.reloads);
        }
        QCOMPARE(page->model()->rowCount(), 1);
        QCOMPARE(page->model()->text(0, 0), QStringLiteral("赵敏"));
    }

    void importPassesTheChosenProvider() {
        page->activate();
        auto cert = pki->make("钱七", Kind::NoCrl);
        const QString path = u(yxtest::writeFile(
            files->path(), "p.pfx",
            yxtest::makePfx(cert.key.get(), cert.cert.get(), {}, "pw", yxtest::PfxKind::TripleDes)));
        onNextModal([path](QDialog* d) {
            setField(d, 1016, path);
            setField(d, 1015, QStringLiteral("pw"));
            auto* provider = d->findChild<QComboBox*>(QStringLiteral("1014"));
            QVERIFY(provider);
            provider->setCurrentIndex(0); // the empty entry
            click(d, 1);
        });
        page->onCommand(yx::res::ID_CERT_IMPORT);
        // No provider named: the store records its default, and the import succeeds.
        QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("导入成功！")});
        CMyCertStore store;
        store.OpenCertStore();
        QCOMPARE(store.GetCertCount(), 1);
        QVERIFY(store.getCert(0)->getPCCERT()->hasPrivateKey());
    }

    void droppedFileRunsTheImportWithItsPath() {
        page->activate();
        auto cert = pki->make("孙悟", Kind::NoCrl);
        const QString path = u(yxtest::writeFile(
            files->path(), "dropped.P12",
            yxtest::makePfx(cert.key.get(), cert.cert.get(), {}, "pw", yxtest::PfxKind::TripleDes)));
        auto prefilled = std::make_shared<QString>();
        onNextModal([prefilled](QDialog* d) {
            *prefilled = field(d, 1016);
            setField(d, 1015, QStringLiteral("pw"));
            click(d, 1);
        });
        QWidget* viewport = page->listView()->currentView()->viewport();
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        const QPoint at = viewport->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        enter.ignore(); // only a taker accepts it
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        QVERIFY(drop.isAccepted());
        QTRY_COMPARE(messageTexts(*prompt), QStringList{QStringLiteral("导入成功！")});
        QCOMPARE(*prefilled, path);
        QCOMPARE(page->model()->rowCount(), 1);
        QCOMPARE(page->model()->text(0, 0), QStringLiteral("孙悟"));

        // Anything else is refused at the door.
        const QString text = u(yxtest::writeFile(files->path(), "notes.txt", std::string("hello")));
        QMimeData other;
        other.setUrls({QUrl::fromLocalFile(text)});
        page->onCommand(yx::res::ID_VIEW_DETAILS); // the details view passes drops on as well
        viewport = page->listView()->currentView()->viewport();
        QDragEnterEvent refused(at, Qt::CopyAction, &other, Qt::LeftButton, Qt::NoModifier);
        refused.ignore();
        QApplication::sendEvent(viewport, &refused);
        QVERIFY(!refused.isAccepted());
        QDragEnterEvent taken(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        taken.ignore();
        QApplication::sendEvent(viewport, &taken);
        QVERIFY(taken.isAccepted());
        QVERIFY(!refused.isAccepted());
    }

    void storeThatCannotOpenEmptiesTheList() {
        fillStore();
        page->activate();
        QCOMPARE(page->model()->rowCount(), 5);
        const QString dir = QString::fromStdString(yx::paths::storeDir("my"));
        QVERIFY(QDir().rename(dir, dir + ".away"));
        QFile blocker(dir);
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder was
        blocker.close();
        page->onCommand(yx::res::ID_CERT_REFRESH);
        QCOMPARE(page->model()->rowCount(), 0); // emptied first, then the open failed
        QVERIFY(prompt->messages.empty());
    }

    void helpOpensTheHelpFile() {
        page->activate();
        QVERIFY(page->onCommand(yx::res::ID_HELP));
        QCOMPARE(prompt->opened.size(), size_t(1));
        QCOMPARE(prompt->opened[0], yx::helpFilePath());
    }
};

QTEST_MAIN(PersonalCertPageTest)
#include "PersonalCertPageTest.moc"
