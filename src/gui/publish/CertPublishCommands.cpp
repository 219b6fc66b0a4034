#include "CertPublishCommands.h"

#include "CertPublisher.h"
#include "DigitalCertificate.h"
#include "DiskCertStore.h"
#include "DlgPublishCert.h"
#include "MenuResources.h"
#include "NssDatabases.h"
#include "PublishedPlaces.h"
#include "ResourceIds.h"
#include "UserPrompt.h"
#include "pages/Page.h"

#include <QAction>
#include <QMenu>
#include <QStringList>

namespace yx::publishcmd {
namespace {

QAction* commandAction(QMenu* menu, int id, const char* text) {
    auto* action = new QAction(QString::fromUtf8(text), menu);
    action->setData(id);
    action->setObjectName(QString::number(id));
    return action;
}

nss::CertKind kindOf(int pageIndex) {
    return pageIndex == kPagePersonal ? nss::CertKind::Personal
           : pageIndex == kPageCa     ? nss::CertKind::Ca
                                      : nss::CertKind::OtherPeople;
}

QString nameOf(CDigitalCertificate& cert) {
    std::string name;
    cert.getFriendlyName(name);
    if (name.empty())
        cert.getDisplayName(name);
    return QString::fromStdString(name);
}

} // namespace

void addTo(QMenu* menu) {
    if (!menu)
        return;
    QAction* help = menus::findCommand(menu, res::ID_HELP);
    QAction* publish = commandAction(menu, res::ID_CERT_PUBLISH, "发布到浏览器和邮件程序...");
    QAction* withdraw = commandAction(menu, res::ID_CERT_WITHDRAW, "从浏览器和邮件程序撤回...");
    menu->insertAction(help, publish);
    menu->insertAction(help, withdraw);
    if (help)
        menu->insertSeparator(help);
}

bool handles(int commandId) {
    return commandId == res::ID_CERT_PUBLISH || commandId == res::ID_CERT_WITHDRAW;
}

void run(int commandId, int pageIndex, CDigitalCertificate* cert, QWidget* owner) {
    if (!cert || !handles(commandId))
        return;
    const bool publish = commandId == res::ID_CERT_PUBLISH;
    const nss::FoundDatabases found = nss::findNssDatabases(nss::userHome());
    if (found.databases.empty()) {
        showMessage("没有找到Firefox、Thunderbird或Chromium的证书库。", MsgIcon::Information, MsgButtons::Ok,
                    owner);
        return;
    }
    nss::CertPublisher publisher(nss::promptPasswordAsker(owner));
    std::vector<CDlgPublishCert::Row> rows;
    for (const nss::NssDatabase& db : found.databases)
        rows.push_back({db, db.format == nss::DbFormat::Sql ? publisher.placement(*cert, db)
                                                            : nss::Placement::Unreadable});
    const nss::CertKind kind = kindOf(pageIndex);
    CDlgPublishCert dialog(publish ? CDlgPublishCert::Mode::Publish : CDlgPublishCert::Mode::Withdraw,
                           nameOf(*cert), std::move(rows), kind == nss::CertKind::Ca, owner);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::string report;
    int failures = 0;
    const std::vector<nss::NssDatabase> chosen = dialog.chosen();
    for (const nss::NssDatabase& db : chosen) {
        std::string detail;
        const int rc = publish ? publisher.publish(kind, *cert, dialog.trust(), db, detail)
                               : publisher.withdraw(*cert, db, detail);
        failures += rc != 0;
        if (!report.empty()) // not "\n" + text: GCC 12 warns falsely on it (-Wrestrict, GCC bug 105651)
            report += '\n';
        report += nss::outcomeMessage(publish, rc, db, detail);
    }
    const MsgIcon icon = failures == 0                                 ? MsgIcon::Information
                         : failures == static_cast<int>(chosen.size()) ? MsgIcon::Error
                                                                       : MsgIcon::Warning;
    showMessage(report, icon, MsgButtons::Ok, owner);
}

QString publishedPlaces(const std::vector<unsigned char>& der) {
    QStringList labels;
    for (const std::string& label :
         nss::publishedPlaces(DiskCertStore::entryIdOf(der), nss::PublishLedger(), nss::userHome()))
        labels << QString::fromStdString(label);
    return labels.join(QStringLiteral("、"));
}

} // namespace yx::publishcmd
