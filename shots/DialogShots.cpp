// The main dialogs with sample input: configuration (every tab), RA site, file encryption and
// decryption, the certificate and PFX file dialogs, backup password change, directory search,
// publishing to the browsers' databases.
#include "Shots.h"

#include "CertList.h"
#include "CertStore.h"
#include "Settings.h"
#include "certfiles/DlgChangeBackupPassword.h"
#include "certfiles/DlgExportPfx.h"
#include "certfiles/DlgImportCert.h"
#include "certfiles/DlgImportPfx.h"
#include "config/ConfigDialog.h"
#include "config/RaSiteDialog.h"
#include "dialogs/DlgSelectCert.h"
#include "directory/DlgLdapSearch.h"
#include "encryption/DlgDecryptFile.h"
#include "encryption/DlgEncryptFile.h"
#include "encryption/DlgProtectPassword.h"
#include "publish/DlgPublishCert.h"

#include <QTabWidget>

YX_SHOTS(dialogs) {
    yx::settings::WriteProfileString("ServiceURL\\00000000", "Value", "https://ra.lanchuan.example/");
    yx::settings::WriteProfileString("ServiceURL\\00000000", "Description", "岚川证书注册中心");
    CConfigDialog config;
    config.show();
    for (int i = 0; i < config.tabs()->count(); ++i) {
        config.tabs()->setCurrentIndex(i);
        shots.save(&config, QStringLiteral("config-dialog-tab%1").arg(i));
    }
    CRaSiteDialog site(QStringLiteral("添加定制的RA网站"), QStringLiteral("https://ra.lanchuan.example/"),
                       QStringLiteral("岚川证书注册中心"));
    shots.save(&site, QStringLiteral("ra-site-dialog"));

    CCertList list;
    CDlgEncryptFile encrypt(&list);
    encrypt.SetSourcePath(QStringLiteral("/home/zhangwei/季度报告.doc"));
    shots.save(&encrypt, QStringLiteral("encrypt-dialog"));
    CDlgProtectPassword protect;
    shots.save(&protect, QStringLiteral("protect-password-dialog"));
    CDlgDecryptFile decrypt;
    shots.save(&decrypt, QStringLiteral("decrypt-dialog"));
    CMyCertStore my;
    my.OpenCertStore();
    CDlgSelectCert select(&my, QStringLiteral("设置默认的加密证书"));
    shots.save(&select, QStringLiteral("select-cert-dialog"));

    CDlgImportPfx importPfx;
    shots.save(&importPfx, QStringLiteral("import-pfx-dialog"));
    CDlgExportPfx exportPfx;
    shots.save(&exportPfx, QStringLiteral("export-pfx-dialog"));
    CDlgImportCert importCert;
    shots.save(&importCert, QStringLiteral("import-cert-dialog"));
    CDlgChangeBackupPassword backup;
    shots.save(&backup, QStringLiteral("change-backup-password-dialog"));
    CDlgLdapSearch search;
    shots.save(&search, QStringLiteral("ldap-search-dialog"));

    using yx::nss::DbFormat;
    using yx::nss::Placement;
    std::vector<CDlgPublishCert::Row> rows = {
        {{"Firefox", "default-release", "/home/zhangwei/.mozilla/firefox/default", DbFormat::Sql},
         Placement::Absent},
        {{"Thunderbird", "work", "/home/zhangwei/.thunderbird/work", DbFormat::Sql}, Placement::Published},
        {{"Firefox", "old", "/home/zhangwei/.mozilla/firefox/old", DbFormat::Legacy}, Placement::Absent},
    };
    CDlgPublishCert publish(CDlgPublishCert::Mode::Publish, QStringLiteral("岚川证书注册中心根CA"), rows,
                            true);
    shots.save(&publish, QStringLiteral("publish-dialog"));
}
