// The configuration dialog's own decisions: OK writes the chosen radios and site, a changed site
// keeps its key, and a failed write keeps the dialog open. The add-site fields take no more than
// the site list can store and read back: 255 bytes as the registry keeps them (GBK), so a Chinese
// name stops at 127 characters.
#include "../encryption/EncTestKit.h"

#include "Registry.h"
#include "Settings.h"
#include "config/ConfigDialog.h"
#include "config/ConfigDialogIds.h"
#include "config/RaSiteDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

using namespace yx;
using namespace yxtest;

namespace {

const QString kRoot = QStringLiteral("Software\\KavexCorp\\岚川数字钥匣");

std::string setting(const char* section, const char* entry) {
    return settings::GetProfileString(section, entry, "<missing>");
}

void writeSite(const std::string& key, const std::string& url, const std::string& name) {
    QVERIFY(settings::WriteProfileString("ServiceURL\\" + key, "Value", url));
    QVERIFY(settings::WriteProfileString("ServiceURL\\" + key, "Description", name));
}

bool twoSitesTheFirstDefault() {
    writeSite("00000000", "https://ra.one.example/", "第一站");
    writeSite("00000001", "https://ra.two.example/", "第二站");
    return settings::WriteProfileString("ServiceURL", "Default", "00000000");
}

// Clicks a radio button on its indicator, as the label does not reach across the whole row.
void clickRadio(QWidget* dialog, int id) {
    QRadioButton* radio = control<QRadioButton>(dialog, id);
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(radio->height() / 2, radio->height() / 2));
}

// Turns both start-up switches on by mouse, each on its own tab, and ends on the site tab.
void clickBothSwitchesOn(CConfigDialog* dialog) {
    for (const auto& [tab, id] :
         {std::pair{0, res::IDC_UPDATE_CHECK_ON}, std::pair{1, res::IDC_CRL_ONLINE}}) {
        dialog->tabs()->setCurrentIndex(tab);
        clickRadio(dialog, id);
        QVERIFY(control<QRadioButton>(dialog, id)->isChecked());
    }
    dialog->tabs()->setCurrentIndex(2);
}

QComboBox* siteCombo(QWidget* dialog) {
    return control<QComboBox>(dialog, res::IDC_RA_SITE_LIST);
}

} // namespace

class ConfigDialogTest : public QObject, public FreshGuiTest {
    Q_OBJECT
private slots:
    void init() { startTest(); }
    void cleanup() { endTest(); }

    void okWritesTheChosenRadiosAndSite() {
        QVERIFY(twoSitesTheFirstDefault());
        CConfigDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        clickBothSwitchesOn(&dialog);
        siteCombo(&dialog)->setCurrentIndex(1);
        click(&dialog, res::IDOK);
        QCOMPARE(setting("UpdateConfig", "StartUpCheckNew"), std::string("1"));
        QCOMPARE(setting("Common", "SartOnlineCRLCheck"), std::string("1"));
        QCOMPARE(setting("ServiceURL", "Default"), std::string("00000001"));
        QVERIFY(settings::onlineCrlCheck());
        QVERIFY(settings::startUpCheckNew());
    }

    void modifyingASiteKeepsItsKey() {
        QVERIFY(twoSitesTheFirstDefault());
        CConfigDialog dialog;
        dialog.show();
        siteCombo(&dialog)->setCurrentIndex(1);
        ModalScript script;
        script.on(res::IDD_RA_SITE, [](QDialog* d) {
            QCOMPARE(textOf(d, res::IDC_RA_SITE_URL), QStringLiteral("https://ra.two.example/"));
            QCOMPARE(textOf(d, res::IDC_RA_SITE_NAME), QStringLiteral("第二站"));
            control<QLineEdit>(d, res::IDC_RA_SITE_URL)
                ->setText(QStringLiteral("https://ra.two.example/new"));
            control<QLineEdit>(d, res::IDC_RA_SITE_NAME)->clear(); // an empty name becomes the URL
            click(d, res::IDOK);
        });
        click(&dialog, res::IDC_RA_SITE_MODIFY);
        QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
        QComboBox* sites = siteCombo(&dialog);
        QCOMPARE(sites->count(), 2);
        QCOMPARE(sites->itemText(0), QStringLiteral("第一站"));
        QCOMPARE(sites->itemText(1), QStringLiteral("https://ra.two.example/new"));
        QCOMPARE(sites->currentIndex(), 0);
        click(&dialog, res::IDOK);
        QCOMPARE(setting("ServiceURL\\00000001", "Value"), std::string("https://ra.two.example/new"));
        QCOMPARE(setting("ServiceURL\\00000001", "Description"), std::string("https://ra.two.example/new"));
        QCOMPARE(reg::subkeys(reg::Hive::CurrentUser, (kRoot + QStringLiteral("\\ServiceURL")).toStdString())
                     .size(),
                 size_t(2));
    }

    void failedWriteKeepsTheDialogOpen() {
        // A registry file that cannot be read is never replaced: every write fails.
        const QString hive = QString::fromStdString(reg::hiveFilePath(reg::Hive::CurrentUser));
        QVERIFY(QDir().mkpath(hive));
        CConfigDialog dialog;
        dialog.show();
        click(&dialog, res::IDOK);
        YX_EXPECT_ONE_MESSAGE(*m_prompt, "配置保存失败，请检查钥匣的数据文件夹是否可以写入。", "钥匣",
                              MsgIcon::Error, MsgButtons::Ok);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void siteFieldsStopAtWhatFits() {
        struct Case {
            int id;
            QString typed;
            qsizetype kept;
        };
        const Case cases[] = {
            {res::IDC_RA_SITE_NAME, QString(200, QChar(0x5C9A)), 127}, // "岚": two bytes each
            {res::IDC_RA_SITE_URL, QStringLiteral("https://") + QString(300, QLatin1Char('a')), 255},
        };
        for (const Case& c : cases) {
            CRaSiteDialog dialog(QStringLiteral("添加定制的RA网站"), QString(), QString());
            auto* edit = dialog.findChild<QLineEdit*>(QString::number(c.id));
            QVERIFY(edit);
            for (QChar ch : c.typed) // typed one character at a time, as the keyboard does
                edit->insert(QString(ch));
            QCOMPARE(edit->text().size(), c.kept);
        }
    }
};

QTEST_MAIN(ConfigDialogTest)
#include "ConfigDialogTest.moc"
