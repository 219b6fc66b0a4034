// The configuration dialog: its four tabs read the settings, OK writes every setting in the
// fixed order (checked in the registry file itself), Cancel writes nothing, the RA-site dialog
// adds and changes sites; screenshots of every tab and of the RA-site dialog.
#include "../encryption/FileEncTestKit.h"
#include "CertDialogTestKit.h"
#include "GuiTestEnv.h"
#include "ModalScript.h"
#include "RecordingPrompt.h"

#include "Registry.h"
#include "Settings.h"
#include "dialogs/ConfigDialog.h"
#include "dialogs/ConfigDialogIds.h"
#include "dialogs/EncCertTab.h"
#include "dialogs/EncDialogIds.h"
#include "dialogs/RaSiteDialog.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

using namespace yx;
using namespace yxtest;

namespace {

const QString kRoot = QStringLiteral("Software\\KavexCorp\\岚川数字钥匣");

// The sections of the registry file in file order (new keys are appended, so for keys made by
// one OK this is the order of the writes), each with its value lines in order.
struct Section {
    QString key;
    QStringList lines;
};

QList<Section> registrySections() {
    QList<Section> out;
    QFile f(QString::fromStdString(reg::hiveFilePath(reg::Hive::CurrentUser)));
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QString& raw : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            QString key = line.mid(1, line.size() - 2);
            if (key.startsWith(kRoot + QLatin1Char('\\')))
                key = key.mid(kRoot.size() + 1);
            out.push_back({key, {}});
        } else if (!line.isEmpty() && !out.isEmpty()) {
            out.back().lines << line;
        }
    }
    return out;
}

QStringList sectionNames(const QList<Section>& sections) {
    QStringList names;
    for (const Section& s : sections)
        names << s.key;
    return names;
}

QByteArray hiveBytes() {
    QFile f(QString::fromStdString(reg::hiveFilePath(reg::Hive::CurrentUser)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no file>");
}

std::string setting(const char* section, const char* entry) {
    return settings::GetProfileString(section, entry, "<missing>");
}

void writeSite(const std::string& key, const std::string& url, const std::string& name) {
    QVERIFY(settings::WriteProfileString("ServiceURL\\" + key, "Value", url));
    QVERIFY(settings::WriteProfileString("ServiceURL\\" + key, "Description", name));
}

std::function<void(QDialog*)> fillSite(const QString& url, const QString& name) {
    return [url, name](QDialog* d) {
        control<QLineEdit>(d, res::IDC_RA_SITE_URL)->setText(url);
        control<QLineEdit>(d, res::IDC_RA_SITE_NAME)->setText(name);
        clickId(d, res::IDOK);
    };
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

// The text of the label that names `id` (its buddy), or "<no label>".
QString labelOf(QWidget* dialog, int id) {
    QWidget* field = dialog->findChild<QWidget*>(QString::number(id));
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        if (field && label->buddy() == field)
            return label->text();
    }
    return QStringLiteral("<no label>");
}

QStringList comboTexts(QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

} // namespace

class ConfigDialogTest : public QObject, public FreshGuiTest {
    Q_OBJECT
private slots:
    void init() { startTest(); }
    void cleanup() { endTest(); }

    void tabsAndTheirPages();
    void labelsOfTheSiteFields();
    void pagesShowTheStoredSettings();
    void okWritesEverySettingInTheFixedOrder();
    void okRewritesTheCurrentValues();
    void okWritesTheChosenRadiosAndSite();
    void cancelWritesNothing();
    void addingASiteWithoutNameShowsItsUrl();
    void modifyingASiteKeepsItsKey();
    void modifyWithoutSitesSaysSo();
    void openedOnTheCertificateTab();
    void openedOnNoTab();
    void failedWriteKeepsTheDialogOpen();
    void screenshots();
};

void ConfigDialogTest::tabsAndTheirPages() {
    CConfigDialog dialog;
    QCOMPARE(dialog.objectName(), QStringLiteral("176"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("配置管理"));
    auto* tabs = control<QTabWidget>(&dialog, res::IDC_CONFIG_TABS);
    QCOMPARE(tabs->count(), 4);
    const QStringList texts = {"更新设置", "CRL检查设置", "RA站点设置", "设置默认加密证书"};
    const QStringList pages = {"102", "204", "107", "229"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(tabs->tabText(i), texts[i]);
        QCOMPARE(tabs->widget(i)->objectName(), pages[i]);
    }
    QCOMPARE(control<QRadioButton>(&dialog, res::IDC_UPDATE_CHECK_ON)->text(),
             QStringLiteral("钥匣启动时启用更新检查"));
    QCOMPARE(control<QRadioButton>(&dialog, res::IDC_UPDATE_CHECK_OFF)->text(),
             QStringLiteral("钥匣启动时不启用更新检查"));
    QCOMPARE(control<QRadioButton>(&dialog, res::IDC_CRL_ONLINE)->text(),
             QStringLiteral("钥匣启动时在线检查吊销列表"));
    QCOMPARE(control<QRadioButton>(&dialog, res::IDC_CRL_OFFLINE)->text(),
             QStringLiteral("钥匣启动时不在线检查吊销列表"));
    QCOMPARE(control<QPushButton>(&dialog, res::IDC_RA_SITE_ADD)->text(), QStringLiteral("添加..."));
    QCOMPARE(control<QPushButton>(&dialog, res::IDC_RA_SITE_MODIFY)->text(), QStringLiteral("修改..."));

    // Opened from the menu: the first tab and its page; a chosen tab shows its own page.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(tabs->widget(0)->isVisible());
    tabs->tabBar()->setCurrentIndex(2);
    QVERIFY(tabs->widget(2)->isVisible());
    QVERIFY(!tabs->widget(0)->isVisible());
    QVERIFY(tabs->widget(2)->isAncestorOf(QApplication::focusWidget()));
}

void ConfigDialogTest::labelsOfTheSiteFields() {
    CConfigDialog dialog;
    QCOMPARE(labelOf(&dialog, res::IDC_RA_SITE_LIST), QStringLiteral("缺省的证书注册服务中心站点"));
    CRaSiteDialog site(QStringLiteral("添加定制的RA网站"), QString(), QString(), &dialog);
    QCOMPARE(site.objectName(), QStringLiteral("180"));
    QCOMPARE(labelOf(&site, res::IDC_RA_SITE_URL), QStringLiteral("蓝岸注册网站"));
    QCOMPARE(labelOf(&site, res::IDC_RA_SITE_NAME), QStringLiteral("名  称")); // two blanks
}

void ConfigDialogTest::pagesShowTheStoredSettings() {
    {
        // A first start: nothing stored, both switches off, no site, no certificate.
        CConfigDialog dialog;
        QVERIFY(control<QRadioButton>(&dialog, res::IDC_UPDATE_CHECK_OFF)->isChecked());
        QVERIFY(control<QRadioButton>(&dialog, res::IDC_CRL_OFFLINE)->isChecked());
        QCOMPARE(siteCombo(&dialog)->count(), 0);
        QCOMPARE(textOf(&dialog, res::IDC_ENCTAB_NAME), QString());
    }
    QVERIFY(settings::WriteProfileString("UpdateConfig", "StartUpCheckNew", "1"));
    QVERIFY(settings::WriteProfileString("Common", "SartOnlineCRLCheck", "1"));
    writeSite("00000000", "https://ra.one.example/", "第一站");
    writeSite("00000001", "https://ra.two.example/", "第二站");
    QVERIFY(settings::WriteProfileString("ServiceURL", "Default", "00000001"));
    {
        CConfigDialog dialog;
        QVERIFY(control<QRadioButton>(&dialog, res::IDC_UPDATE_CHECK_ON)->isChecked());
        QVERIFY(control<QRadioButton>(&dialog, res::IDC_CRL_ONLINE)->isChecked());
        QCOMPARE(comboTexts(siteCombo(&dialog)), QStringList({"第一站", "第二站"}));
        QCOMPARE(siteCombo(&dialog)->currentIndex(), 1);
    }
    // "2" is not "1": off.
    QVERIFY(settings::WriteProfileString("Common", "SartOnlineCRLCheck", "2"));
    QVERIFY(settings::WriteProfileString("ServiceURL", "Default", "00000009"));
    {
        CConfigDialog dialog;
        QVERIFY(control<QRadioButton>(&dialog, res::IDC_CRL_OFFLINE)->isChecked());
        QCOMPARE(siteCombo(&dialog)->currentIndex(), -1); // the stored default is no site
    }
}

void ConfigDialogTest::okWritesEverySettingInTheFixedOrder() {
    QVERIFY(!QFile::exists(QString::fromStdString(reg::hiveFilePath(reg::Hive::CurrentUser))));
    CConfigDialog dialog;
    dialog.show();
    ModalScript script;
    script.on(res::IDD_RA_SITE, fillSite("https://ra.a.example/", "甲"))
        .on(res::IDD_RA_SITE, fillSite("https://ra.b.example/", "乙"));
    clickId(&dialog, res::IDC_RA_SITE_ADD);
    clickId(&dialog, res::IDC_RA_SITE_ADD);
    QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    // Nothing is written before OK.
    QVERIFY(!QFile::exists(QString::fromStdString(reg::hiveFilePath(reg::Hive::CurrentUser))));

    clickId(&dialog, res::IDOK);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(m_prompt->messages.empty());

    // The file holds the keys in the order they were first written: update check, revocation
    // check, each site (URL before name), then the default site, then the certificate.
    const QList<Section> sections = registrySections();
    QCOMPARE(sectionNames(sections), QStringList({"UpdateConfig", "Common", "ServiceURL\\00000000",
                                                  "ServiceURL\\00000001", "ServiceURL", "DefaultEncCert"}));
    QCOMPARE(sections[0].lines, QStringList({"\"StartUpCheckNew\"=\"0\""}));
    QCOMPARE(sections[1].lines, QStringList({"\"SartOnlineCRLCheck\"=\"0\""}));
    QCOMPARE(sections[2].lines,
             QStringList({"\"Value\"=\"https://ra.a.example/\"", "\"Description\"=\"甲\""}));
    QCOMPARE(sections[3].lines,
             QStringList({"\"Value\"=\"https://ra.b.example/\"", "\"Description\"=\"乙\""}));
    QCOMPARE(sections[4].lines, QStringList({"\"Default\"=\"\""})); // no site was the default
    QCOMPARE(sections[5].lines, QStringList({"\"CertHash\"=\"\""}));
}

void ConfigDialogTest::okRewritesTheCurrentValues() {
    FileEncPeople people;
    const std::string thumb = people.addOwnCertificate("默认证书持有人", "me@example.com");
    QVERIFY(settings::WriteProfileString("UpdateConfig", "StartUpCheckNew", "1"));
    QVERIFY(settings::WriteProfileString("Common", "SartOnlineCRLCheck", "2"));
    writeSite("00000000", "https://ra.one.example/", "第一站");
    writeSite("00000002", "https://ra.three.example/", "第三站");
    QVERIFY(settings::WriteProfileString("ServiceURL", "Default", "00000002"));

    CConfigDialog dialog;
    QVERIFY(!textOf(&dialog, res::IDC_ENCTAB_NAME).isEmpty());
    dialog.show();
    clickId(&dialog, res::IDOK);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(setting("UpdateConfig", "StartUpCheckNew"), std::string("1"));
    QCOMPARE(setting("Common", "SartOnlineCRLCheck"), std::string("0")); // "2" read as off, written "0"
    QCOMPARE(setting("ServiceURL", "Default"), std::string("00000002"));
    QCOMPARE(setting("ServiceURL\\00000002", "Value"), std::string("https://ra.three.example/"));
    QCOMPARE(setting("DefaultEncCert", "CertHash"), thumb);

    // A default certificate that is no longer in the store shows no name and is written empty.
    QVERIFY(settings::WriteProfileString("DefaultEncCert", "CertHash", "00 11 22 33"));
    CConfigDialog again;
    QCOMPARE(textOf(&again, res::IDC_ENCTAB_NAME), QString());
    again.show();
    clickId(&again, res::IDOK);
    QCOMPARE(setting("DefaultEncCert", "CertHash"), std::string());
}

void ConfigDialogTest::okWritesTheChosenRadiosAndSite() {
    writeSite("00000000", "https://ra.one.example/", "第一站");
    writeSite("00000001", "https://ra.two.example/", "第二站");
    QVERIFY(settings::WriteProfileString("ServiceURL", "Default", "00000000"));
    CConfigDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    clickBothSwitchesOn(&dialog);
    siteCombo(&dialog)->setCurrentIndex(1);
    clickId(&dialog, res::IDOK);
    QCOMPARE(setting("UpdateConfig", "StartUpCheckNew"), std::string("1"));
    QCOMPARE(setting("Common", "SartOnlineCRLCheck"), std::string("1"));
    QCOMPARE(setting("ServiceURL", "Default"), std::string("00000001"));
    QVERIFY(settings::onlineCrlCheck());
    QVERIFY(settings::startUpCheckNew());
}

void ConfigDialogTest::cancelWritesNothing() {
    writeSite("00000000", "https://ra.one.example/", "第一站");
    QVERIFY(settings::WriteProfileString("ServiceURL", "Default", "00000000"));
    const QByteArray before = hiveBytes();

    CConfigDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    clickBothSwitchesOn(&dialog);
    ModalScript script;
    script.on(res::IDD_RA_SITE, fillSite("https://ra.new.example/", "新站"))
        .on(res::IDD_RA_SITE, fillSite("https://ra.changed.example/", "改过"));
    clickId(&dialog, res::IDC_RA_SITE_ADD);
    clickId(&dialog, res::IDC_RA_SITE_MODIFY);
    QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    QCOMPARE(comboTexts(siteCombo(&dialog)), QStringList({"改过", "新站"}));
    clickId(&dialog, res::IDCANCEL);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(hiveBytes(), before);

    // The next run reads the stored list again: what was added or changed is gone.
    CConfigDialog next;
    QCOMPARE(comboTexts(siteCombo(&next)), QStringList({"第一站"}));
}

void ConfigDialogTest::addingASiteWithoutNameShowsItsUrl() {
    writeSite("00000000", "https://ra.one.example/", "第一站");
    writeSite("00000002", "https://ra.three.example/", "第三站");
    QVERIFY(settings::WriteProfileString("ServiceURL", "Default", "00000002"));
    CConfigDialog dialog;
    dialog.show();
    dialog.tabs()->setCurrentIndex(2);
    siteCombo(&dialog)->setCurrentIndex(0); // the user's pick is dropped by the refill below
    ModalScript script;
    script.on(res::IDD_RA_SITE, [](QDialog* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("添加定制的RA网站"));
        QCOMPARE(textOf(d, res::IDC_RA_SITE_URL), QString());
        QCOMPARE(textOf(d, res::IDC_RA_SITE_NAME), QString());
        control<QLineEdit>(d, res::IDC_RA_SITE_URL)
            ->setText(QStringLiteral("https://ra.noname.example/enrol"));
        clickId(d, res::IDOK);
    });
    clickId(&dialog, res::IDC_RA_SITE_ADD);
    QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    QCOMPARE(comboTexts(siteCombo(&dialog)),
             QStringList({"第一站", "第三站", "https://ra.noname.example/enrol"}));
    QCOMPARE(siteCombo(&dialog)->currentIndex(), 1); // the stored default again, not the new site

    clickId(&dialog, res::IDOK);
    // The new site took the first free key.
    QCOMPARE(setting("ServiceURL\\00000001", "Value"), std::string("https://ra.noname.example/enrol"));
    QCOMPARE(setting("ServiceURL\\00000001", "Description"), std::string("https://ra.noname.example/enrol"));
    QCOMPARE(setting("ServiceURL", "Default"), std::string("00000002"));

    // Cancelling the RA-site dialog adds nothing.
    CConfigDialog again;
    again.show();
    ModalScript cancel;
    cancel.on(res::IDD_RA_SITE, [](QDialog* d) {
        control<QLineEdit>(d, res::IDC_RA_SITE_URL)->setText(QStringLiteral("https://ignored.example/"));
        clickId(d, res::IDCANCEL);
    });
    clickId(&again, res::IDC_RA_SITE_ADD);
    QVERIFY2(cancel.waitFinished(), qPrintable(cancel.failure()));
    QCOMPARE(siteCombo(&again)->count(), 3);
}

void ConfigDialogTest::modifyingASiteKeepsItsKey() {
    writeSite("00000000", "https://ra.one.example/", "第一站");
    writeSite("00000001", "https://ra.two.example/", "第二站");
    QVERIFY(settings::WriteProfileString("ServiceURL", "Default", "00000000"));
    CConfigDialog dialog;
    dialog.show();
    siteCombo(&dialog)->setCurrentIndex(1);
    ModalScript script;
    script.on(res::IDD_RA_SITE, [](QDialog* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("编辑第二站"));
        QCOMPARE(textOf(d, res::IDC_RA_SITE_URL), QStringLiteral("https://ra.two.example/"));
        QCOMPARE(textOf(d, res::IDC_RA_SITE_NAME), QStringLiteral("第二站"));
        control<QLineEdit>(d, res::IDC_RA_SITE_URL)->setText(QStringLiteral("https://ra.two.example/new"));
        control<QLineEdit>(d, res::IDC_RA_SITE_NAME)->clear(); // an empty name becomes the URL
        clickId(d, res::IDOK);
    });
    clickId(&dialog, res::IDC_RA_SITE_MODIFY);
    QVERIFY2(script.waitFinished(), qPrintable(script.failure()));
    QCOMPARE(comboTexts(siteCombo(&dialog)), QStringList({"第一站", "https://ra.two.example/new"}));
    QCOMPARE(siteCombo(&dialog)->currentIndex(), 0);
    clickId(&dialog, res::IDOK);
    QCOMPARE(setting("ServiceURL\\00000001", "Value"), std::string("https://ra.two.example/new"));
    QCOMPARE(setting("ServiceURL\\00000001", "Description"), std::string("https://ra.two.example/new"));
    QCOMPARE(
        reg::subkeys(reg::Hive::CurrentUser, (kRoot + QStringLiteral("\\ServiceURL")).toStdString()).size(),
        size_t(2));
}

void ConfigDialogTest::modifyWithoutSitesSaysSo() {
    CConfigDialog dialog;
    dialog.show();
    clickId(&dialog, res::IDC_RA_SITE_MODIFY);
    YX_EXPECT_ONE_MESSAGE(*m_prompt, "请先选择要修改的RA站点。", "钥匣", MsgIcon::Information,
                          MsgButtons::Ok);
    QVERIFY(dialog.isVisible());
}

void ConfigDialogTest::openedOnTheCertificateTab() {
    CConfigDialog dialog(CConfigDialog::EncCertTab);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.tabs()->currentIndex(), 3);
    QCOMPARE(dialog.tabs()->currentWidget()->objectName(), QStringLiteral("229"));
    QVERIFY(dialog.tabs()->currentWidget()->isVisible());
    QVERIFY(!dialog.tabs()->widget(0)->isVisible());
}

void ConfigDialogTest::openedOnNoTab() {
    CConfigDialog dialog(7);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (int i = 0; i < 4; ++i)
        QVERIFY2(!dialog.tabs()->widget(i)->isVisible(), qPrintable(QString::number(i)));
    dialog.tabs()->setCurrentIndex(1);
    QVERIFY(dialog.tabs()->widget(1)->isVisible());
    dialog.tabs()->setCurrentIndex(0);
    QVERIFY(dialog.tabs()->widget(0)->isVisible());
}

void ConfigDialogTest::failedWriteKeepsTheDialogOpen() {
    // A registry file that cannot be read is never replaced: every write fails.
    const QString hive = QString::fromStdString(reg::hiveFilePath(reg::Hive::CurrentUser));
    QVERIFY(QDir().mkpath(hive));
    CConfigDialog dialog;
    dialog.show();
    clickId(&dialog, res::IDOK);
    YX_EXPECT_ONE_MESSAGE(*m_prompt, "配置保存失败，请检查钥匣的数据文件夹是否可以写入。", "钥匣",
                          MsgIcon::Error, MsgButtons::Ok);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void ConfigDialogTest::screenshots() {
    FileEncPeople people;
    people.addOwnCertificate("张三（文件加密）", "zhangsan@example.com");
    writeSite("00000000", "https://ra.lanchuan.example/", "岚川证书注册中心");
    writeSite("00000001", "https://ra.partner.example/", "合作伙伴注册站点");
    QVERIFY(settings::WriteProfileString("ServiceURL", "Default", "00000000"));
    CConfigDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (int i = 0; i < 4; ++i) {
        dialog.tabs()->setCurrentIndex(i);
        QCoreApplication::processEvents();
        saveScreenshot(&dialog, QStringLiteral("config-dialog-tab%1").arg(i));
    }
    CRaSiteDialog site(QStringLiteral("添加定制的RA网站"), QStringLiteral("https://ra.lanchuan.example/"),
                       QStringLiteral("岚川证书注册中心"), &dialog);
    site.show();
    QVERIFY(QTest::qWaitForWindowExposed(&site));
    saveScreenshot(&site, QStringLiteral("ra-site-dialog"));
}

QTEST_MAIN(ConfigDialogTest)
#include "ConfigDialogTest.moc"
