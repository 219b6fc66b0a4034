#include "MailDialogKit.h"

#include "CertStore.h"
#include "DigitalCertificate.h"
#include "DirectorySettings.h"
#include "LdapCert.h"
#include "PropertyRecords.h"

#include <cstring>

namespace yx::maildlg {

namespace {

QString field(CDigitalCertificate* cert, int (CDigitalCertificate::*get)(std::string&)) {
    std::string text;
    if (!cert || (cert->*get)(text) != 0)
        return {};
    return qstr(text);
}

int queryHost(const std::string& host, const std::string& email, FoundCerts& found) {
    std::vector<CDigitalCertificate*> raw;
    CLdapCert ldap;
    const int rc = ldap.getUserCertificates(host.c_str(), "", email.c_str(), raw);
    for (CDigitalCertificate* cert : raw)
        found.emplace_back(cert);
    return rc;
}

} // namespace

QString displayName(CDigitalCertificate* cert) {
    return field(cert, &CDigitalCertificate::getDisplayName);
}

QString shownName(CDigitalCertificate* cert) {
    const QString friendly = field(cert, &CDigitalCertificate::getFriendlyName);
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

bool lookUpContact(QWidget* owner, const std::string& email, FoundCerts& found) {
    found.clear();
    const int rcA = queryHost(directory::hostA(), email, found);
    const int rcB = queryHost(directory::hostB(), email, found);
    if (rcA != 0 && rcB != 0) {
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
