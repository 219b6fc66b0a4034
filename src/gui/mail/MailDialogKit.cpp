#include "MailDialogKit.h"

#include "CertStore.h"
#include "DigitalCertificate.h"
#include "DirectorySearch.h"
#include "DirectorySettings.h"
#include "PropertyRecords.h"

#include <cstring>

namespace yx::maildlg {

using dlgkit::certText;
using dlgkit::say;

QString displayName(CDigitalCertificate* cert) {
    return certText(cert, &CDigitalCertificate::getDisplayName);
}

QString shownName(CDigitalCertificate* cert) {
    const QString friendly = certText(cert, &CDigitalCertificate::getFriendlyName);
    return friendly.isEmpty() ? displayName(cert) : friendly;
}

std::string thumbprint(CDigitalCertificate* cert) {
    std::string text;
    if (!cert || cert->getThumbPrint(text) != 0)
        return {};
    return text;
}

bool hasDefaultMark(const QString& text) {
    return text.endsWith(QString::fromUtf8(kDefaultMark));
}

QString withoutDefaultMark(const QString& text) {
    return hasDefaultMark(text) ? text.left(text.size() - QString::fromUtf8(kDefaultMark).size()) : text;
}

std::string bufferText(const CBBuffer& buffer) {
    const char* data = reinterpret_cast<const char*>(buffer.GetBuffer());
    if (!data || buffer.size() <= 0)
        return {};
    const void* nul = std::memchr(data, 0, static_cast<size_t>(buffer.size()));
    return std::string(data, nul ? static_cast<const char*>(nul) - data : buffer.size());
}

std::string accountEmail(CEmailAccount* account) {
    CRegProperty* property = account ? account->getProperty(CEmailAccount::kEmailAddress) : nullptr;
    return property ? bufferText(property->getBuf()) : std::string();
}

void openFiltered(CCertStore& store, const std::string& email, const char* keyUsage) {
    store.OpenCertStore();
    store.SetFilter("SubjectEmail", email.c_str());
    if (keyUsage)
        store.SetFilter("KeyUsage", keyUsage);
}

bool lookUpContact(QWidget* owner, const std::string& email, OwnedCerts& found) {
    found.clear();
    if (directory::searchHosts({directory::hostA(), directory::hostB()}, "", email, found) != 0) {
        say(owner, "目录查询失败！", MsgIcon::Warning, MsgButtons::Ok, kDirectoryCaption);
        return false;
    }
    if (found.empty()) {
        say(owner, "目录服务中不存在与搜索条件相符的项！", MsgIcon::Information, MsgButtons::Ok,
            kDirectoryCaption);
        return false;
    }
    return true;
}

} // namespace yx::maildlg
