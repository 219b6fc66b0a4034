// The other people's certificate page: its menus (the import popup with the directory), the
// certificate-file import and DER export with half-width messages, the directory import with
// full-width ones, delete, and a store that cannot be reopened.
#include "pages/OtherPeopleCertPage.h"
#include "CertPageFixture.h"
#include "DataPaths.h"
#include "Revocation.h"
#include "dialogs/DlgLdapSearch.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QUrl>

using namespace certpagetest;
using Kind = Pki::Kind;

class OtherPeopleCertPageTest : public QObject, public PageTestBase<yx::OtherPeopleCertPage> {
    Q_OBJECT

private:
    void fillStore() {
        certs.push_back(pki->make("客户甲", Kind::Good, "jia@example.cn"));
        certs.push_back(pki->make("客户乙", Kind::Revoked, "yi@example.cn"));
        certs.push_back(pki->make("客户丙", Kind::NoCrl, "bing@example.cn"));
        pki->publish();
        for (const auto& c : certs)
            QCOMPARE(Pki::addOther(c), 0);
    }

    const QString noSelectionOps =
        QStringLiteral("[导入],  32782 从文件导入...,  32807 从LDAP导入...,-,32778 刷新...,-,57670 帮助");
    const QString rowOps =
        QStringLiteral("32774 打开,-,32775 导出...,32776 删除...,32778 刷新,-,32779 CRL检查,32780 "
                       "属性,-,32870 发布到浏览器和邮件程序...,32871 从浏览器和邮件程序撤回...,-,57670 帮助");

    // Answers the directory dialog: a search by name with `query`, the first result chosen, "添加".
    void answerDirectoryDialog(CDlgLdapSearch::DirectoryQuery query, std::shared_ptr<int> rows) {
        onNextModal([query, rows](QDialog* d) {
            auto* search = qobject_cast<CDlgLdapSearch*>(d);
            QVERIFY(search);
            search->setDirectoryQuery(query);
            setField(d, 1071, QStringLiteral("客户"));
            click(d, 1074);
            QVERIFY(QTest::qWaitFor([search] { return !search->isSearching(); }, 5000));
            auto* list = d->findChild<QTreeWidget*>(QStringLiteral("1073"));
            QVERIFY(list);
            QTest::qWait(50); // the finished search fills the list
            *rows = list->topLevelItemCount();
            if (*rows == 0) {
                click(d, 2);
                return;
            }
            // A click on the first row selects it (the dialog hit-tests the pointer).
            const QPoint at = list->visualItemRect(list->topLevelItem(0)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QCOMPARE(search->selectedIndex(), 0);
            click(d, 1);
        });
    }

private slots:
    void initTestCase() { shortRevocationTimeouts(); }

    void init() { setUpPage(); }

    void cleanup() { tearDown(); }

    void loadsWithStatusAndMergesItsMenus() {
        fillStore();
        setOnlineChecks(true);
        page->activate();
        QCOMPARE(page->objectName(), QStringLiteral("143"));
        QCOMPARE(page->model()->columnCount(), 5);
        QCOMPARE(rowsOf(page.get()).size(), 3);
        QCOMPARE(page->model()->text(0, 4), QStringLiteral("有效"));
        QCOMPARE(page->model()->text(1, 4), QStringLiteral("已吊销"));
        QCOMPARE(page->model()->text(2, 4), QStringLiteral("无CRL"));
        QCOMPARE(opsMenuText(), noSelectionOps);
        QCOMPARE(join(describe(bar->menuAt(3))),
                 QStringLiteral("32784 大图标,32785 小图标,32786 列表,32787 详细信息"));
        leftClick(page.get(), 1);
        QCOMPARE(opsMenuText(), rowOps);
    }

    void contextMenusAreRowAndDirectoryForms() {
        fillStore();
        page->activate();
        auto seen = std::make_shared<QStringList>();
        chooseInNextPopup({}, -1, seen);
        rightClick(page.get(), -1);
        QCOMPARE(join(*seen),
                 QStringLiteral("[导入],  32782 从文件导入...,  32807 从LDAP导入...,-,32778 刷新...,-,"
                                "[查看],  32784 大图标,  32785 小图标,  32786 列表,  32787 详细信息,"
                                "57670 帮助"));
        QCOMPARE(page->selected(), -1);
        QCOMPARE(opsMenuText(), noSelectionOps);

        chooseInNextPopup({}, yx::res::ID_CERT_OPEN, seen);
        rightClick(page.get(), 2);
        QCOMPARE(
            join(*seen),
            QStringLiteral(
                "32774 打开,-,32775 导出...,32776 删除...,-,32778 刷新,-,32779 CRL检查,"
                "32780 属性,-,32870 发布到浏览器和邮件程序...,32871 从浏览器和邮件程序撤回...,-,57670 帮助"));
        QCOMPARE(page->selected(), 2);
        QCOMPARE(prompt->viewed.size(), size_t(1));
        QVERIFY(prompt->viewed[0] == certs[2].der());
        QCOMPARE(opsMenuText(), rowOps);
    }

    void importFromFileThroughTheSubmenu() {
        page->activate();
        auto cert = pki->make("新朋友", Kind::NoCrl);
        const QString der = u(yxtest::writeFile(files->path(), "friend.cer", cert.der()));
        answerNextDialog({{1011, der}});
        chooseInNextPopup({QStringLiteral("导入")}, yx::res::ID_CERT_IMPORT);
        rightClick(page.get(), -1);
        QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("导入证书成功!")});
        QVERIFY(prompt->messages[0].icon == yx::MsgIcon::Information);
        QCOMPARE(page->model()->rowCount(), 1);
        QCOMPARE(page->model()->text(0, 0), QStringLiteral("新朋友"));
    }

    void importMessagesUseHalfWidthMarks() {
        page->activate();
        const QString junk =
            u(yxtest::writeFile(files->path(), "junk.cer", std::string("-----BEGIN nothing")));
        QSignalSpy loaded(page.get(), &yx::CertListPage::listLoaded);

        // The dialog refuses an empty or missing path itself and stays open; Cancel then ends it.
        onNextModal([](QDialog* d) {
            click(d, 1);
            QVERIFY(d->isVisible());
            setField(d, 1011, QStringLiteral("/no/such/file.cer"));
            click(d, 1);
            QVERIFY(d->isVisible());
            click(d, 2);
        });
        page->onCommand(yx::res::ID_CERT_IMPORT);
        QCOMPARE(messageTexts(*prompt), (QStringList{QStringLiteral("文件名不能为空!"),
                                                     QStringLiteral("您所要导入的证书路径错误!")}));
        QCOMPARE(loaded.count(), 0);

        prompt->clear();
        answerNextDialog({{1011, junk}});
        page->onCommand(yx::res::ID_CERT_IMPORT);
        QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("导入失败，文件格式错误!")});
        QVERIFY(prompt->messages[0].icon == yx::MsgIcon::Error);
        QCOMPARE(loaded.count(), 1); // every file import reloads, successful or not

        // A store that cannot be written: any other failure.
        const QString dir = QString::fromStdString(yx::paths::storeDir("other"));
        QVERIFY(QDir(dir).removeRecursively());
        QFile blocker(dir);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto cert = pki->make("写不进", Kind::NoCrl);
        prompt->clear();
        answerNextDialog({{1011, u(yxtest::writeFile(files->path(), "w.cer", cert.der()))}});
        page->onCommand(yx::res::ID_CERT_IMPORT);
        QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("导入失败!")});
        QVERIFY(prompt->messages[0].icon == yx::MsgIcon::Error);
        QCOMPARE(loaded.count(), 2);
    }

    void exportWritesDerWithCerAppended() {
        fillStore();
        page->activate();
        leftClick(page.get(), 1);
        const QString dir = QString::fromStdString(files->path());
        struct Case {
            QString typed, written;
        } cases[] = {
            {dir + "/a", dir + "/a.cer"}, {dir + "/b.CER", dir + "/b.CER"}, {dir + "/c.cEr", dir + "/c.cEr"}};
        for (const Case& c : cases) {
            prompt->clear();
            auto title = std::make_shared<QString>();
            answerNextDialog({{1011, c.typed}}, true, title);
            page->onCommand(yx::res::ID_CERT_EXPORT);
            QCOMPARE(*title, QStringLiteral("173 导出证书"));
            QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("导出证书成功!")});
            QVERIFY(prompt->messages[0].icon == yx::MsgIcon::Information);
            QVERIFY(yxtest::readFile(c.written.toStdString()) == certs[1].der());
        }
        prompt->clear();
        answerNextDialog({{1011, dir + "/missing/dir/x"}});
        page->onCommand(yx::res::ID_CERT_EXPORT);
        QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("导出失败!")});
        QVERIFY(prompt->messages[0].icon == yx::MsgIcon::Error);
    }

    void directoryImportAddsTheChosenCertificate() {
        fillStore();
        page->activate();
        auto found = std::make_shared<yxtest::Issued>(pki->make("目录用户", Kind::NoCrl, "dir@example.cn"));
        auto rows = std::make_shared<int>(-1);
        answerDirectoryDialog(
            [found](const std::string&, const std::string& name, const std::string&,
                    std::vector<CDigitalCertificate*>& out) {
                if (name == "客户")
                    out.push_back(new CDigitalCertificate(yx::CertContext::fromX509(found->cert.get())));
                return 0;
            },
            rows);
        QSignalSpy loaded(page.get(), &yx::CertListPage::listLoaded);
        page->onCommand(yx::res::ID_CERT_IMPORT_LDAP);
        QCOMPARE(*rows, 1);
        QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("导入证书成功！")});
        QVERIFY(prompt->messages[0].icon == yx::MsgIcon::Information);
        QCOMPARE(loaded.count(), 1);
        QCOMPARE(page->model()->rowCount(), 4);
        QCOMPARE(page->model()->text(3, 0), QStringLiteral("目录用户"));
    }

    void failedDirectoryImportKeepsTheList() {
        fillStore();
        page->activate();
        auto rows = std::make_shared<int>(-1);
        // A directory entry whose certificate attribute holds no certificate.
        answerDirectoryDialog(
            [](const std::string&, const std::string&, const std::string&,
               std::vector<CDigitalCertificate*>& out) {
                out.push_back(new CDigitalCertificate("junk", 4, CDigitalCertificate::DER));
                return 0;
            },
            rows);
        QSignalSpy loaded(page.get(), &yx::CertListPage::listLoaded);
        page->onCommand(yx::res::ID_CERT_IMPORT_LDAP);
        QCOMPARE(*rows, 1);
        QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("从LDAP导入证书失败！")});
        QVERIFY(prompt->messages[0].icon == yx::MsgIcon::Error);
        QCOMPARE(loaded.count(), 0);
        QCOMPARE(page->model()->rowCount(), 3);

        // Cancelled: nothing at all.
        prompt->clear();
        onNextModal([](QDialog* d) { click(d, 2); });
        page->onCommand(yx::res::ID_CERT_IMPORT_LDAP);
        QVERIFY(prompt->messages.empty());
        QCOMPARE(loaded.count(), 0);
    }

    void deleteRemovesTheSelectedCertificate() {
        fillStore();
        page->activate();
        leftClick(page.get(), 1);
        prompt->answer(yx::MsgAnswer::Ok);
        page->onCommand(yx::res::ID_CERT_DELETE);
        QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("您确信删除您的证书吗？")});
        QCOMPARE(page->model()->rowCount(), 2);
        QCOMPARE(page->model()->text(1, 0), QStringLiteral("客户丙"));
    }

    void droppedCertificateFileIsImported() {
        page->activate();
        page->onCommand(yx::res::ID_VIEW_DETAILS);
        auto cert = pki->make("拖进来的", Kind::NoCrl);
        const QString path = u(yxtest::writeFile(files->path(), "friend.CRT", cert.pem()));
        auto prefilled = std::make_shared<QString>();
        onNextModal([prefilled](QDialog* d) {
            *prefilled = field(d, 1011);
            click(d, 1);
        });
        QWidget* viewport = page->listView()->currentView()->viewport();
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(viewport->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        enter.ignore(); // only a taker accepts it
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(viewport->rect().center()), Qt::CopyAction, &mime, Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        QVERIFY(drop.isAccepted());
        QTRY_COMPARE(*prefilled, path);
        QTRY_COMPARE(messageTexts(*prompt), QStringList{QStringLiteral("导入证书成功!")});
        QCOMPARE(page->model()->text(0, 0), QStringLiteral("拖进来的"));
    }

    void storeThatCannotOpenKeepsTheOldRows() {
        fillStore();
        page->activate();
        const QStringList before = rowsOf(page.get());
        const QString dir = QString::fromStdString(yx::paths::storeDir("other"));
        QVERIFY(QDir().rename(dir, dir + ".away"));
        QFile blocker(dir);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        leftClick(page.get(), 0);
        page->onCommand(yx::res::ID_CERT_REFRESH);
        QCOMPARE(rowsOf(page.get()), before);
        QVERIFY(prompt->messages.empty());
        // The rows are only pictures now: commands on them find no certificate and do nothing.
        page->onCommand(yx::res::ID_CERT_OPEN);
        QVERIFY(prompt->viewed.empty());
    }
};

QTEST_MAIN(OtherPeopleCertPageTest)
#include "OtherPeopleCertPageTest.moc"
