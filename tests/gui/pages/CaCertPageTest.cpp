// The CA certificate page: no status column, no delete and no CRL check, menus 156 and 155,
// certificate-file import and DER export with full-width messages.
#include "pages/CaCertPage.h"
#include "CertPageFixture.h"
#include "DataPaths.h"

#include <QDir>
#include <QSignalSpy>

using namespace certpagetest;

class CaCertPageTest : public QObject, public PageTestBase<yx::CaCertPage> {
    Q_OBJECT

private:
    const QString noSelectionOps = QStringLiteral("32782 导入,-,32778 刷新...,-,57670 帮助");
    const QString rowOps =
        QStringLiteral("32774 打开,-,32775 导出...,-,32778 刷新,-,32780 属性,-,32870 "
                       "发布到浏览器和邮件程序...,32871 从浏览器和邮件程序撤回...,-,57670 帮助");

private slots:
    void init() {
        setUpEnv(); // the PKI puts its root CA into the CA store
        QCOMPARE(Pki::addCa(pki->otherCa.cert()), 0);
        makePage();
    }

    void cleanup() { tearDown(); }

    void listsTheAuthoritiesWithoutStatus() {
        page->activate();
        QCOMPARE(page->objectName(), QStringLiteral("144"));
        QCOMPARE(page->model()->columnCount(), 4);
        QCOMPARE(page->model()->rowCount(), 2);
        QCOMPARE(page->model()->text(0, 0), QStringLiteral("钥匣测试根CA"));
        QCOMPARE(page->model()->text(0, 1), QStringLiteral("钥匣测试根CA")); // self-issued
        QCOMPARE(page->model()->text(1, 0), QStringLiteral("钥匣测试外部CA"));
        QCOMPARE(pki->server.totalRequests(), 0);
    }

    void menusAreTheCaForms() {
        page->activate();
        QCOMPARE(opsMenuText(), noSelectionOps);
        leftClick(page.get(), 1);
        QCOMPARE(opsMenuText(), rowOps);

        auto seen = std::make_shared<QStringList>();
        chooseInNextPopup({}, yx::res::ID_CERT_OPEN, seen);
        rightClick(page.get(), 0);
        QCOMPARE(join(*seen), rowOps); // 156 whole
        QCOMPARE(prompt->viewed.size(), size_t(1));
        QVERIFY(prompt->viewed[0] == pki->ca.der());

        chooseInNextPopup({QStringLiteral("查看")}, yx::res::ID_VIEW_LIST, seen);
        rightClick(page.get(), -1);
        QCOMPARE(join(*seen),
                 QStringLiteral("32782 导入,-,32778 刷新...,-,[查看],  32784 大图标,  32785 小图标,"
                                "  32786 列表,  32787 详细信息,57670 帮助"));
        QCOMPARE(page->listView()->mode(), yx::CertListView::Mode::List);
        QCOMPARE(page->selected(), -1);
        QCOMPARE(opsMenuText(), noSelectionOps);
    }

    void noDeleteAndNoCrlCheck() {
        page->activate();
        leftClick(page.get(), 0);
        QVERIFY(!page->onCommand(yx::res::ID_CERT_DELETE));
        QVERIFY(!page->onCommand(yx::res::ID_CERT_CRL_CHECK));
        QAbstractItemView* view = page->listView()->currentView();
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Delete);
        QVERIFY(prompt->messages.empty());
        QCOMPARE(page->model()->rowCount(), 2);
        QCOMPARE(pki->server.totalRequests(), 0);
    }

    void importMessagesUseFullWidthMarks() {
        page->activate();
        yxtest::TestCa third("钥匣测试第三CA", 5);
        const QString good = u(yxtest::writeFile(files->path(), "third.crt", third.der()));
        const QString junk =
            u(yxtest::writeFile(files->path(), "junk.der", std::string("\x30\x03\x02\x01", 4)));
        QSignalSpy loaded(page.get(), &yx::CertListPage::listLoaded);
        auto title = std::make_shared<QString>();
        answerNextDialog({{1011, junk}}, true, title);
        page->onCommand(yx::res::ID_CERT_IMPORT);
        QCOMPARE(*title, QStringLiteral("174 导入证书"));
        QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("导入失败，文件格式错误！")});
        QVERIFY(prompt->messages[0].icon == yx::MsgIcon::Error);
        QCOMPARE(loaded.count(), 1);

        prompt->clear();
        answerNextDialog({{1011, good}});
        page->onCommand(yx::res::ID_CERT_IMPORT);
        QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("导入证书成功！")});
        QVERIFY(prompt->messages[0].icon == yx::MsgIcon::Information);
        QCOMPARE(page->model()->rowCount(), 3);
        QCOMPARE(page->model()->text(2, 0), QStringLiteral("钥匣测试第三CA"));

        // The store cannot be written: any other failure.
        const QString dir = QString::fromStdString(yx::paths::storeDir("ca"));
        QVERIFY(QDir(dir).removeRecursively());
        QFile blocker(dir);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        prompt->clear();
        answerNextDialog({{1011, good}});
        page->onCommand(yx::res::ID_CERT_IMPORT);
        QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("导入失败！")});
        // ... and the reload that follows keeps the rows of the store it could not open.
        QCOMPARE(page->model()->rowCount(), 3);
    }

    void exportUsesFullWidthMarks() {
        page->activate();
        leftClick(page.get(), 1);
        const QString dir = QString::fromStdString(files->path());
        answerNextDialog({{1011, dir + "/ca"}});
        page->onCommand(yx::res::ID_CERT_EXPORT);
        QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("导出证书成功!")});
        yxtest::Bytes expected;
        {
            CDigitalCertificate c(yx::CertContext::fromX509(pki->otherCa.cert()));
            expected = c.getPCCERT()->der;
        }
        QVERIFY(yxtest::readFile((dir + "/ca.cer").toStdString()) == expected);

        prompt->clear();
        answerNextDialog({{1011, dir + "/nowhere/x.cer"}});
        page->onCommand(yx::res::ID_CERT_EXPORT);
        QCOMPARE(messageTexts(*prompt), QStringList{QStringLiteral("导出失败!")});
        QVERIFY(prompt->messages[0].icon == yx::MsgIcon::Error);
    }

    void renameWorksOnTheCaPageToo() {
        page->activate();
        leftClick(page.get(), 0);
        answerNextDialog({{1013, QStringLiteral("根")}});
        page->onCommand(yx::res::ID_CERT_PROPERTIES);
        page->onCommand(yx::res::ID_CERT_REFRESH);
        QCOMPARE(page->model()->text(0, 3), QStringLiteral("根"));
    }
};

QTEST_MAIN(CaCertPageTest)
#include "CaCertPageTest.moc"
