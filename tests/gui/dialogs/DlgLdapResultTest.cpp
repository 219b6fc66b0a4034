// The directory result chooser: the count label, one row per certificate of the source, and
// selection by left or right click with view and OK following it.
#include "CertDialogTestKit.h"
#include "GuiTestEnv.h"
#include "TestPki.h"

#include "DigitalCertificate.h"
#include "dialogs/CertSource.h"
#include "dialogs/DlgLdapResult.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using namespace yxtest;

namespace {

enum Id { kLabel = 1128, kList = 1129, kView = 32774, kOk = 1, kCancel = 2 };

std::string field(CDigitalCertificate* cert, int (CDigitalCertificate::*get)(std::string&)) {
    std::string text;
    (cert->*get)(text);
    return text;
}

} // namespace

class DlgLdapResultTest : public QObject {
    Q_OBJECT

    ScopedGuiEnv m_env;
    RecordingPrompt m_prompt;
    TestCa m_ca{"岚川测试CA"};
    std::vector<std::unique_ptr<CDigitalCertificate>> m_owned;
    std::vector<CDigitalCertificate*> m_certs;

    QTreeWidget* list(QWidget* dlg) { return control<QTreeWidget>(dlg, kList); }
    bool enabled(QWidget* dlg, int id) { return control<QWidget>(dlg, id)->isEnabled(); }

    void press(QWidget* dlg, int row, Qt::MouseButton button = Qt::LeftButton) {
        QTreeWidget* tree = list(dlg);
        const QPoint pos = row >= 0 ? tree->visualItemRect(tree->topLevelItem(row)).center()
                                    : QPoint(10, tree->viewport()->height() - 5);
        QTest::mouseClick(tree->viewport(), button, {}, pos);
    }

private slots:
    void initTestCase() {
        CertProfile profile;
        profile.email = "zhang@example.cn";
        profile.cn = "张三";
        for (int i = 0; i < 2; ++i) {
            profile.notAfterOffset = (i + 1) * 200L * 86400;
            const Bytes der = m_ca.issue(profile).der();
            m_owned.push_back(std::make_unique<CDigitalCertificate>(reinterpret_cast<const char*>(der.data()),
                                                                    static_cast<int>(der.size()),
                                                                    CDigitalCertificate::DER));
            m_certs.push_back(m_owned.back().get());
        }
    }
    void init() { m_prompt.clear(); }

    void labelAndRows() {
        CCertVectorSource source(m_certs);
        CDlgLdapResult dlg(source, QStringLiteral("zhang@example.cn"));
        QCOMPARE(CDlgLdapResult::IDD, 264);
        QCOMPARE(dlg.objectName(), QStringLiteral("264"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("从LDAP上导入证书"));
        QCOMPARE(control<QLabel>(&dlg, kLabel)->text(),
                 QStringLiteral("总共找到2个与邮件“zhang@example.cn”对应的证书"));
        QCOMPARE(control<QPushButton>(&dlg, kView)->text(), QStringLiteral("查看证书"));
        QCOMPARE(control<QPushButton>(&dlg, kOk)->text(), QStringLiteral("确定"));
        QCOMPARE(control<QPushButton>(&dlg, kCancel)->text(), QStringLiteral("取消"));
        QVERIFY(!enabled(&dlg, kView));
        QVERIFY(!enabled(&dlg, kOk));

        QTreeWidget* tree = list(&dlg);
        const QStringList titles{QStringLiteral("颁发给"), QStringLiteral("颁发者"),
                                 QStringLiteral("截止日期"), QStringLiteral("证书状态")};
        const int widths[] = {90, 85, 85, 85};
        QCOMPARE(tree->columnCount(), 4);
        for (int c = 0; c < 4; ++c) {
            QCOMPARE(tree->headerItem()->text(c), titles[c]);
            QCOMPARE(tree->columnWidth(c), widths[c]);
        }
        QCOMPARE(tree->topLevelItemCount(), 2);
        for (int r = 0; r < 2; ++r) {
            QTreeWidgetItem* item = tree->topLevelItem(r);
            QCOMPARE(item->text(0), q(field(m_certs[size_t(r)], &CDigitalCertificate::getDisplayName)));
            QCOMPARE(item->text(1), q(field(m_certs[size_t(r)], &CDigitalCertificate::getIssuerCN)));
            QCOMPARE(item->text(2), q(field(m_certs[size_t(r)], &CDigitalCertificate::getValidToDate)));
            QCOMPARE(item->text(3), QString());
            QVERIFY(!item->icon(0).isNull());
        }
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("张三"));
        QCOMPARE(tree->topLevelItem(0)->text(1), QStringLiteral("岚川测试CA"));
        QVERIFY(tree->topLevelItem(0)->text(2) != tree->topLevelItem(1)->text(2));

        dlg.show();
        saveScreenshot(&dlg, QStringLiteral("DlgLdapResult"));
    }

    void countTextForOtherCounts() {
        QCOMPARE(CDlgLdapResult::countText(0, QStringLiteral("a@b.cn")),
                 QStringLiteral("总共找到0个与邮件“a@b.cn”对应的证书"));
        QCOMPARE(CDlgLdapResult::countText(12, QStringLiteral("%1@b.cn")),
                 QStringLiteral("总共找到12个与邮件“%1@b.cn”对应的证书"));
    }

    void clickSelectsAndEnables() {
        CCertVectorSource source(m_certs);
        CDlgLdapResult dlg(source, QStringLiteral("zhang@example.cn"));
        dlg.show();

        press(&dlg, 1);
        QCOMPARE(dlg.selectedIndex(), 1);
        QVERIFY(enabled(&dlg, kView));
        QVERIFY(enabled(&dlg, kOk));
        QCOMPARE(dlg.GetSelectedCert(), m_certs[1]);

        press(&dlg, 0, Qt::RightButton);
        QCOMPARE(dlg.GetSelectedCert(), m_certs[0]);

        press(&dlg, -1);
        QCOMPARE(dlg.selectedIndex(), -1);
        QVERIFY(!dlg.GetSelectedCert());
        QVERIFY(!enabled(&dlg, kView));
        QVERIFY(!enabled(&dlg, kOk));

        press(&dlg, -1, Qt::RightButton);
        QCOMPARE(dlg.selectedIndex(), -1);
    }

    void viewAndDoubleClick() {
        CCertVectorSource source(m_certs);
        CDlgLdapResult dlg(source, QStringLiteral("zhang@example.cn"));
        dlg.show();
        QTreeWidget* tree = list(&dlg);

        // Nothing selected: a double click on empty space shows nothing.
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, QPoint(10, tree->viewport()->height() - 5));
        QVERIFY(m_prompt.programs.empty());

        press(&dlg, 0);
        clickId(&dlg, kView);
        QCOMPARE(m_prompt.programs.size(), size_t(1));
        QVERIFY(m_prompt.programs[0].wait);

        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {},
                           tree->visualItemRect(tree->topLevelItem(1)).center());
        QCOMPARE(m_prompt.programs.size(), size_t(2));
        QCOMPARE(dlg.selectedIndex(), 1);
    }

    void okReturnsTheSelection() {
        CCertVectorSource source(m_certs);
        CDlgLdapResult dlg(source, QStringLiteral("zhang@example.cn"));
        dlg.show();
        press(&dlg, 1);
        clickId(&dlg, kOk);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.GetSelectedCert(), m_certs[1]);
    }

    void keyboardMovesTheSelection() {
        CCertVectorSource source(m_certs);
        CDlgLdapResult dlg(source, QStringLiteral("zhang@example.cn"));
        dlg.show();
        press(&dlg, 0);
        QTest::keyClick(list(&dlg), Qt::Key_Down);
        QCOMPARE(dlg.selectedIndex(), 1);
        QVERIFY(enabled(&dlg, kOk));
    }

    void emptySource() {
        std::vector<CDigitalCertificate*> none;
        CCertVectorSource source(none);
        QVERIFY(!source.getCert(0));
        QVERIFY(!source.getCert(-1));
        CDlgLdapResult dlg(source, QStringLiteral("nobody@example.cn"));
        QCOMPARE(list(&dlg)->topLevelItemCount(), 0);
        QCOMPARE(control<QLabel>(&dlg, kLabel)->text(),
                 QStringLiteral("总共找到0个与邮件“nobody@example.cn”对应的证书"));
        QVERIFY(!dlg.GetSelectedCert());
    }
};

QTEST_MAIN(DlgLdapResultTest)
#include "DlgLdapResultTest.moc"
