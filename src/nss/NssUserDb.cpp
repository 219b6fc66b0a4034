#include "NssUserDb.h"

#include "NssDatabases.h"
#include "ResultCodes.h"

#include <atomic>
#include <cctype>
#include <cert.h>
#include <certdb.h>
#include <memory>
#include <mutex>
#include <nss.h>
#include <p12.h>
#include <p12plcy.h>
#include <pk11pub.h>
#include <prerror.h>
#include <secerr.h>
#include <secmod.h>
#include <secport.h>
#include <strings.h>
extern "C" {
#include <utilpars.h> // declared without C linkage
}

namespace yx::nss {
namespace {

struct CertDeleter {
    void operator()(CERTCertificate* c) const { CERT_DestroyCertificate(c); }
};
using CertPtr = std::unique_ptr<CERTCertificate, CertDeleter>;
struct KeyDeleter {
    void operator()(SECKEYPrivateKey* k) const { SECKEY_DestroyPrivateKey(k); }
};
using KeyPtr = std::unique_ptr<SECKEYPrivateKey, KeyDeleter>;
struct DecoderDeleter {
    void operator()(SEC_PKCS12DecoderContext* d) const { SEC_PKCS12DecoderFinish(d); }
};
using DecoderPtr = std::unique_ptr<SEC_PKCS12DecoderContext, DecoderDeleter>;
struct PortStringDeleter {
    void operator()(char* s) const { PORT_Free(s); }
};
using PortString = std::unique_ptr<char, PortStringDeleter>;

// NSS without databases of its own, once per process; the context is never shut down because
// certificates and slots handed out earlier may still be referenced.
bool initialise(std::string& error) {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] {
        const PRUint32 flags = NSS_INIT_READONLY | NSS_INIT_NOCERTDB | NSS_INIT_NOMODDB | NSS_INIT_FORCEOPEN |
                               NSS_INIT_NOROOTINIT | NSS_INIT_OPTIMIZESPACE;
        ok = NSS_InitContext("", "", "", "", nullptr, flags) != nullptr;
        if (!ok)
            return;
        // The ciphers PKCS#12 files are commonly made with; ours use 3DES.
        for (long c : {PKCS12_RC2_CBC_40, PKCS12_RC2_CBC_128, PKCS12_RC4_40, PKCS12_RC4_128, PKCS12_DES_56,
                       PKCS12_DES_EDE3_168})
            SEC_PKCS12EnableCipher(c, 1);
        // Logins happen through UserDb::login only; NSS asking on its own gets no password.
        PK11_SetPasswordFunc([](PK11SlotInfo*, PRBool, void*) -> char* { return nullptr; });
    });
    if (!ok)
        error = lastNssError();
    return ok;
}

SECItem itemOf(const Bytes& b) {
    return {siBuffer, const_cast<unsigned char*>(b.data()), static_cast<unsigned>(b.size())};
}

// The PKCS#12 password as NSS's decoder takes it: UCS-2 big-endian with a terminating zero.
Bytes ucs2Password(const std::string& ascii) {
    Bytes out;
    for (char c : ascii) {
        out.push_back(0);
        out.push_back(static_cast<unsigned char>(c));
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

std::string tokenParams(const std::string& dir, bool readOnly) {
    static std::atomic<int> counter{0};
    PortString quoted(NSSUTIL_Quote(("sql:" + dir).c_str(), '\''));
    std::string params = std::string("configdir=") + (quoted ? quoted.get() : "''");
    params += " tokenDescription='yaoxia-" + std::to_string(++counter) + "'";
    if (readOnly)
        params += " flags=readOnly";
    return params;
}

} // namespace

std::string lastNssError() {
    const PRErrorCode code = PR_GetError();
    const char* name = PR_ErrorToName(code);
    const char* text = PR_ErrorToString(code, PR_LANGUAGE_I_DEFAULT);
    std::string s = name ? name : std::to_string(code);
    if (text && *text)
        s += std::string(": ") + text;
    return s;
}

UserDb::~UserDb() {
    close();
}

void UserDb::close() {
    if (!m_slot)
        return;
    PK11_Logout(m_slot);
    SECMOD_CloseUserDB(m_slot);
    PK11_FreeSlot(m_slot);
    m_slot = nullptr;
}

int UserDb::open(const std::string& dir, bool readOnly, std::string& error) {
    close();
    switch (databaseFormat(dir)) {
    case DbFormat::Legacy:
        return kLegacyDatabase;
    case DbFormat::None:
        return kNoDatabase;
    case DbFormat::Sql:
        break;
    }
    if (!initialise(error))
        return kCannotOpen;
    PK11SlotInfo* slot = SECMOD_OpenUserDB(tokenParams(dir, readOnly).c_str());
    if (!slot) {
        error = lastNssError();
        return kCannotOpen;
    }
    if (!PK11_IsPresent(slot)) {
        error = lastNssError();
        SECMOD_CloseUserDB(slot);
        PK11_FreeSlot(slot);
        return kCannotOpen;
    }
    m_slot = slot;
    return kOk;
}

bool UserDb::needsPassword() const {
    return m_slot && PK11_NeedLogin(m_slot) && !PK11_IsLoggedIn(m_slot, nullptr);
}

int UserDb::login(const std::string& password) {
    if (!m_slot)
        return kCannotOpen;
    if (!needsPassword())
        return kOk;
    return PK11_CheckUserPassword(m_slot, password.c_str()) == SECSuccess ? kOk : kWrongPassword;
}

bool UserDb::hasCert(const Bytes& der) const {
    if (!m_slot)
        return false;
    SECItem item = itemOf(der);
    CertPtr cert(PK11_FindCertFromDERCertItem(m_slot, &item, nullptr));
    return cert != nullptr;
}

bool UserDb::hasKeyFor(const Bytes& der) const {
    if (!m_slot)
        return false;
    SECItem item = itemOf(der);
    CertPtr cert(CERT_NewTempCertificate(CERT_GetDefaultCertDB(), &item, nullptr, PR_FALSE, PR_TRUE));
    if (!cert)
        return false;
    KeyPtr key(PK11_FindPrivateKeyFromCert(m_slot, cert.get(), nullptr));
    return key != nullptr;
}

std::string UserDb::nicknameOf(const Bytes& der) const {
    if (!m_slot)
        return {};
    SECItem item = itemOf(der);
    CertPtr cert(PK11_FindCertFromDERCertItem(m_slot, &item, nullptr));
    if (!cert || !cert->nickname)
        return {};
    // A database opened beside NSS's own is a token of its own: its nicknames carry "token:".
    std::string nick = cert->nickname;
    const std::string prefix = std::string(PK11_GetTokenName(m_slot)) + ":";
    if (nick.rfind(prefix, 0) == 0)
        nick.erase(0, prefix.size());
    return nick;
}

Bytes UserDb::certByNickname(const std::string& nickname) const {
    if (!m_slot || nickname.empty())
        return {};
    const std::string token = PK11_GetTokenName(m_slot);
    CertPtr cert(PK11_FindCertFromNickname((token + ":" + nickname).c_str(), nullptr));
    if (!cert)
        return {};
    return Bytes(cert->derCert.data, cert->derCert.data + cert->derCert.len);
}

void UserDb::forEachAddress(const std::function<bool(const Bytes&, const char*)>& fn) const {
    if (!m_slot)
        return;
    struct ListDeleter {
        void operator()(CERTCertList* l) const { CERT_DestroyCertList(l); }
    };
    std::unique_ptr<CERTCertList, ListDeleter> list(PK11_ListCertsInSlot(m_slot));
    if (!list)
        return;
    for (CERTCertListNode* n = CERT_LIST_HEAD(list.get()); !CERT_LIST_END(n, list.get());
         n = CERT_LIST_NEXT(n)) {
        const Bytes der(n->cert->derCert.data, n->cert->derCert.data + n->cert->derCert.len);
        for (const char* a = CERT_GetFirstEmailAddress(n->cert); a; a = CERT_GetNextEmailAddress(n->cert, a))
            if (!fn(der, a))
                break;
    }
}

std::vector<Bytes> UserDb::certsForEmail(const std::string& email) const {
    std::vector<Bytes> out;
    forEachAddress([&](const Bytes& der, const char* address) {
        if (strcasecmp(address, email.c_str()) != 0)
            return true;
        out.push_back(der);
        return false;
    });
    return out;
}

std::vector<std::string> UserDb::certAddresses() const {
    std::vector<std::string> out;
    forEachAddress([&](const Bytes&, const char* address) {
        std::string a = address;
        for (char& c : a)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        out.push_back(std::move(a));
        return true;
    });
    return out;
}

std::string UserDb::freeNickname(const Bytes& der, const std::string& wanted) const {
    const std::string base = wanted.empty() ? std::string("certificate") : wanted;
    SECItem item = itemOf(der);
    CertPtr ours(CERT_NewTempCertificate(CERT_GetDefaultCertDB(), &item, nullptr, PR_FALSE, PR_TRUE));
    const std::string token = m_slot ? PK11_GetTokenName(m_slot) : "";
    for (int n = 1; n < 1000; ++n) {
        const std::string candidate = n == 1 ? base : base + " #" + std::to_string(n);
        CertPtr other(PK11_FindCertFromNickname((token + ":" + candidate).c_str(), nullptr));
        // Certificates of one subject share their nickname in NSS; another subject must not.
        if (!other || (ours && SECITEM_ItemsAreEqual(&other->derSubject, &ours->derSubject)))
            return candidate;
    }
    return base;
}

int UserDb::importPkcs12(const Bytes& pfx, const std::string& password, const std::string& nickname,
                         std::string& error) {
    if (!m_slot)
        return kCannotOpen;
    Bytes pw = ucs2Password(password);
    SECItem pwItem = itemOf(pw);
    DecoderPtr dec(
        SEC_PKCS12DecoderStart(&pwItem, m_slot, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    Bytes data = pfx; // the decoder takes a writable buffer
    if (!dec || SEC_PKCS12DecoderUpdate(dec.get(), data.data(), data.size()) != SECSuccess ||
        SEC_PKCS12DecoderVerify(dec.get()) != SECSuccess) {
        error = lastNssError();
        return kFailed;
    }
    struct Rename {
        static SECStatus cb(const CERTCertificate*, const SECItem*, SECItem** out, void* arg) {
            const std::string& nick = *static_cast<const std::string*>(arg);
            *out = SECITEM_AllocItem(nullptr, nullptr, static_cast<unsigned>(nick.size() + 1));
            if (!*out)
                return SECFailure;
            (*out)->type = siAsciiString;
            PORT_Memcpy((*out)->data, nick.c_str(), nick.size() + 1);
            (*out)->len = static_cast<unsigned>(nick.size());
            return SECSuccess;
        }
    };
    std::string nick = nickname;
    const auto collision = [](SECItem*, PRBool* cancel, void*) -> SECItem* {
        *cancel = PR_TRUE; // freeNickname chose a free one; a clash now means something changed
        return nullptr;
    };
    if (SEC_PKCS12DecoderRenameCertNicknames(dec.get(), &Rename::cb, &nick) != SECSuccess ||
        SEC_PKCS12DecoderValidateBags(dec.get(), collision) != SECSuccess ||
        SEC_PKCS12DecoderImportBags(dec.get()) != SECSuccess) {
        error = lastNssError();
        return kFailed;
    }
    return kOk;
}

int UserDb::importCert(const Bytes& der, const std::string& nickname, const TrustFlags& trustFlags,
                       std::string& error) {
    if (!m_slot)
        return kCannotOpen;
    SECItem item = itemOf(der);
    CertPtr cert(CERT_NewTempCertificate(CERT_GetDefaultCertDB(), &item, nullptr, PR_FALSE, PR_TRUE));
    CERTCertTrust trust{};
    if (!cert || CERT_DecodeTrustString(&trust, trustFlags.text.c_str()) != SECSuccess ||
        PK11_ImportCert(m_slot, cert.get(), CK_INVALID_HANDLE, nickname.c_str(), PR_FALSE) != SECSuccess) {
        error = lastNssError();
        return kFailed;
    }
    if (CERT_ChangeCertTrust(CERT_GetDefaultCertDB(), cert.get(), &trust) != SECSuccess) {
        error = lastNssError();
        SEC_DeletePermCertificate(cert.get()); // no half-published certificate stays behind
        return kFailed;
    }
    return kOk;
}

int UserDb::removeCert(const Bytes& der, bool withKey, std::string& error) {
    if (!m_slot)
        return kCannotOpen;
    SECItem item = itemOf(der);
    CertPtr cert(PK11_FindCertFromDERCertItem(m_slot, &item, nullptr));
    if (!cert)
        return kNotPublishedHere;
    if (withKey) {
        KeyPtr key(PK11_FindPrivateKeyFromCert(m_slot, cert.get(), nullptr));
        if (key && PK11_DeleteTokenPrivateKey(key.release(), PR_TRUE) != SECSuccess) {
            error = lastNssError();
            return kFailed;
        }
    }
    if (SEC_DeletePermCertificate(cert.get()) != SECSuccess) {
        error = lastNssError();
        return kFailed;
    }
    return kOk;
}

} // namespace yx::nss
