#include "CertPublisher.h"

#include "DigitalCertificate.h"
#include "DiskCertStore.h"
#include "HexText.h"
#include "NssUserDb.h"
#include "PfxFile.h"
#include "ResultCodes.h"
#include "UserPrompt.h"

#include <openssl/crypto.h>
#include <openssl/rand.h>

namespace yx::nss {
namespace {

std::string certIdOf(CDigitalCertificate& cert) {
    return DiskCertStore::entryIdOf(cert.getPCCERT()->der);
}

std::string nicknameOf(CDigitalCertificate& cert) {
    std::string name;
    cert.getFriendlyName(name);
    if (name.empty())
        cert.getDisplayName(name);
    return name;
}

// A one-time password for the PKCS#12 that only travels from us to NSS in memory.
std::string transportPassword() {
    unsigned char raw[16];
    if (RAND_bytes(raw, sizeof raw) != 1)
        return {};
    return hexText(raw, sizeof raw);
}

std::string trustFor(CertKind kind, const CaTrust& trust) {
    switch (kind) {
    case CertKind::OtherPeople:
        return ",P,"; // a trusted peer for e-mail
    case CertKind::Ca:
        return std::string(trust.web ? "C" : "") + "," + (trust.email ? "C" : "") + ",";
    case CertKind::Personal:
        break;
    }
    return ",,";
}

int importPersonal(UserDb& nssDb, CDigitalCertificate& cert, const std::string& nickname,
                   std::string& detail) {
    const auto& ctx = cert.getPCCERT();
    EvpPkeyPtr key = ctx->loadPrivateKey();
    if (!key)
        return kNoPrivateKey;
    const std::string pw = transportPassword();
    if (pw.empty())
        return kFailed;
    auto pfx = writePfx(key.get(), ctx->x509.get(), {}, nickname, pw.c_str());
    if (!pfx)
        return kFailed;
    const int rc = nssDb.importPkcs12(*pfx, pw, nickname, detail);
    OPENSSL_cleanse(pfx->data(), pfx->size());
    return rc;
}

} // namespace

PasswordAsker promptPasswordAsker(void* owner) {
    return [owner](const NssDatabase& db) {
        return prompt().askPassword("请输入" + db.label() + "的主密码：", kAppCaption, owner);
    };
}

CertPublisher::CertPublisher(PasswordAsker askPassword, PublishLedger ledger)
    : m_askPassword(std::move(askPassword)), m_ledger(std::move(ledger)) {}

int CertPublisher::unlock(UserDb& nssDb, const NssDatabase& db) {
    if (!nssDb.needsPassword())
        return kOk;
    std::optional<std::string> pw = m_askPassword ? m_askPassword(db) : std::nullopt;
    if (!pw)
        return kCancelled;
    const int rc = nssDb.login(*pw);
    OPENSSL_cleanse(pw->data(), pw->size());
    return rc;
}

int CertPublisher::publish(CertKind kind, CDigitalCertificate& cert, const CaTrust& trust,
                           const NssDatabase& db, std::string& detail) {
    if (!cert.getPCCERT())
        return kFailed;
    if (db.dir.find_first_of("\t\n") != std::string::npos)
        return kNoDatabase; // no such folder is ours to record
    UserDb nssDb;
    if (int rc = nssDb.open(db.dir, false, detail))
        return rc;
    const Bytes& der = cert.getPCCERT()->der;
    if (nssDb.hasCert(der))
        return kAlreadyPresent;
    if (int rc = unlock(nssDb, db))
        return rc;
    const std::string nickname = nssDb.freeNickname(der, nicknameOf(cert));
    bool keyAdded = false;
    int rc = kOk;
    if (kind == CertKind::Personal) {
        keyAdded = !nssDb.hasKeyFor(der);
        rc = importPersonal(nssDb, cert, nickname, detail);
    } else {
        rc = nssDb.importCert(der, nickname, {trustFor(kind, trust)}, detail);
    }
    if (rc)
        return rc;
    if (!m_ledger.add({db.dir, certIdOf(cert), keyAdded})) {
        // Unrecorded, it could never be withdrawn: take it out again.
        std::string ignored;
        nssDb.removeCert(der, keyAdded, ignored);
        detail = "无法记录发布情况";
        return kFailed;
    }
    return kOk;
}

int CertPublisher::withdraw(CDigitalCertificate& cert, const NssDatabase& db, std::string& detail) {
    if (!cert.getPCCERT())
        return kFailed;
    const std::string id = certIdOf(cert);
    const auto entry = m_ledger.find(db.dir, id);
    if (!entry) {
        const DbFormat f = databaseFormat(db.dir);
        return f == DbFormat::Legacy ? kLegacyDatabase
               : f == DbFormat::None ? kNoDatabase
                                     : kNotPublishedHere;
    }
    UserDb nssDb;
    if (int rc = nssDb.open(db.dir, false, detail))
        return rc;
    const Bytes& der = cert.getPCCERT()->der;
    if (!nssDb.hasCert(der)) {
        m_ledger.remove(db.dir, id); // removed by hand meanwhile
        return kNotPublishedHere;
    }
    if (int rc = unlock(nssDb, db))
        return rc;
    if (int rc = nssDb.removeCert(der, entry->keyAdded, detail))
        return rc;
    m_ledger.remove(db.dir, id);
    return kOk;
}

Placement CertPublisher::placement(CDigitalCertificate& cert, const NssDatabase& db) const {
    if (!cert.getPCCERT())
        return Placement::Absent;
    UserDb nssDb;
    std::string ignored;
    if (nssDb.open(db.dir, true, ignored))
        return Placement::Unreadable;
    if (!nssDb.hasCert(cert.getPCCERT()->der))
        return Placement::Absent;
    return m_ledger.find(db.dir, certIdOf(cert)) ? Placement::Published : Placement::Preexisting;
}

std::string outcomeMessage(bool publish, int rc, const NssDatabase& db, const std::string& detail) {
    const std::string label = db.label();
    switch (rc) {
    case kOk:
        return publish ? "已发布到" + label + "。" : "已从" + label + "撤回。";
    case kWrongPassword:
        return label + "的主密码错误，未作任何改动。";
    case kCancelled:
        return "未输入" + label + "的主密码，未作任何改动。";
    case kNoPrivateKey:
        return "此证书没有私钥，不能发布到" + label + "。";
    case kLegacyDatabase:
        return label +
               "是旧格式的证书库(cert8.db)，本程序不改动它。请先用新版程序打开一次该配置文件，使它升级。";
    case kNoDatabase:
        return label + "的文件夹已不存在，或其中没有证书库(cert9.db)。";
    case kCannotOpen:
        return "无法打开" + label + "的证书库，它可能已损坏或被锁定。" +
               (detail.empty() ? "" : "\n" + detail);
    case kAlreadyPresent:
        return label + "中已有此证书，未作改动。";
    case kNotPublishedHere:
        return "此证书不是本程序发布到" + label + "的，未撤回。";
    default:
        return (publish ? "发布到" : "从") + label + (publish ? "失败。" : "撤回失败。") +
               (detail.empty() ? "" : "\n" + detail);
    }
}

const char* placementText(Placement p) {
    switch (p) {
    case Placement::Absent:
        return "未发布";
    case Placement::Published:
        return "已发布";
    case Placement::Preexisting:
        return "原有";
    case Placement::Unreadable:
        return "无法读取";
    }
    return "";
}

} // namespace yx::nss
