#include "IdentityCerts.h"

#include "DigitalCertificate.h"
#include "NssUserDb.h"
#include "PrefsJsWriter.h"
#include "ProfileLock.h"
#include "ResultCodes.h"
#include "SafeFile.h"
#include "ThunderbirdProfiles.h"

#include <sys/stat.h>

namespace yx::nss {
namespace {

// Puts the certificate into the profile's database (unless it is there) and gives its nickname.
int publishForIdentity(CertPublisher& publisher, const NssDatabase& profile, CDigitalCertificate& cert,
                       std::string& nickname, std::string& detail) {
    const int rc = publisher.publish(CertKind::Personal, cert, {}, profile, detail);
    if (rc != kOk && rc != kAlreadyPresent)
        return rc;
    UserDb db;
    if (int open = db.open(profile.dir, true, detail))
        return open;
    nickname = db.nicknameOf(cert.getPCCERT()->der);
    return nickname.empty() ? kFailed : kOk;
}

} // namespace

int setIdentityCerts(CertPublisher& publisher, const NssDatabase& profile, const std::string& identityId,
                     CDigitalCertificate* sign, CDigitalCertificate* crypt, std::string& detail) {
    if (profileInUse(profile.dir))
        return kProfileInUse;
    std::string text;
    if (!readProfilePrefs(profile.dir, text))
        return kNoPrefs;
    const Prefs before = parsePrefsJs(text);
    const std::string prefix = "mail.identity." + identityId + ".";
    const struct {
        CDigitalCertificate* cert;
        const char* nameKey;
        const char* dbKey;
    } uses[] = {{sign, "signing_cert_name", "signing_cert_dbkey"},
                {crypt, "encryption_cert_name", "encryption_cert_dbkey"}};
    for (const auto& use : uses) {
        if (!use.cert)
            continue;
        std::string nickname;
        if (int rc = publishForIdentity(publisher, profile, *use.cert, nickname, detail))
            return rc;
        std::optional<std::string> edited = withUserPref(text, prefix + use.nameKey, nickname);
        // Newer versions find the certificate by this key first; emptied, they go by the nickname.
        if (edited && before.values.count(prefix + use.dbKey))
            edited = withUserPref(*edited, prefix + use.dbKey, "");
        if (!edited)
            return kNoPrefs; // a damaged prefs.js is left as it is
        text = std::move(*edited);
    }
    if (profileInUse(profile.dir)) // started meanwhile
        return kProfileInUse;
    const std::string path = profile.dir + "/prefs.js";
    struct stat st {};
    const unsigned mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0600;
    if (!atomicWriteFile(path, text, mode)) {
        detail = path;
        return kFailed;
    }
    return kOk;
}

std::string identityOutcomeMessage(int rc, const NssDatabase& profile, const std::string& detail) {
    switch (rc) {
    case kOk:
        return "已为" + profile.label() + "设置邮件证书。";
    case kProfileInUse:
        return profile.label() + "正在被Thunderbird使用。请先关闭Thunderbird，再设置帐户证书。";
    case kNoPrefs:
        return "无法读取" + profile.label() + "的配置文件(prefs.js)，或它已损坏，未作任何改动。";
    case kFailed:
        return "设置" + profile.label() + "的邮件证书失败。" + (detail.empty() ? "" : "\n" + detail);
    default:
        return outcomeMessage(true, rc, profile, detail);
    }
}

} // namespace yx::nss
