#include "People.h"

#include "CertStore.h"
#include "DigitalCertificate.h"
#include "SlapdFixture.h"

#include <openssl/x509v3.h>

namespace yxtest {

std::string thumbOf(CDigitalCertificate* cert) {
    std::string t;
    if (cert)
        cert->getThumbPrint(t);
    return t;
}
std::string thumbOf(X509* cert) {
    CDigitalCertificate c(yx::CertContext::fromX509(cert));
    return thumbOf(&c);
}
std::string thumbOf(const Bytes& der) {
    CDigitalCertificate c(reinterpret_cast<const char*>(der.data()), static_cast<int>(der.size()),
                          CDigitalCertificate::DER);
    return thumbOf(&c);
}

bool addToStore(const std::string& store, const Issued& who, const std::optional<std::string>& friendlyName,
                bool withKey) {
    const Bytes key = store == "my" && withKey && who.key ? pkcs8Der(who.key.get()) : Bytes{};
    return yx::makeDiskStoreBackend(store)->add(who.der(), key, friendlyName, "");
}

People::People() : ca("钥匣测试根CA", 0), otherCa("钥匣测试外部CA", 3) {
    crlUrl = server.url("/root.crl");
    forgedUrl = server.url("/forged.crl");
    deadUrl = "http://127.0.0.1:" + std::to_string(closedPort()) + "/gone.crl";
}

void People::caIntoStore() {
    CCaCertStore caStore;
    CDigitalCertificate caCert(yx::CertContext::fromX509(ca.cert()));
    caStore.ImportCert(&caCert);
}

Issued People::make(const std::string& cn, Kind kind, const std::string& email, long daysLeft) {
    CertProfile profile;
    profile.cn = cn;
    profile.email = email;
    profile.notAfterOffset = daysLeft * 86400;
    profile.keyUsage = KU_DIGITAL_SIGNATURE | KU_KEY_ENCIPHERMENT;
    if (kind == Kind::Good || kind == Kind::Revoked)
        profile.crlUrls = {crlUrl};
    else if (kind == Kind::Unknown)
        profile.crlUrls = {deadUrl};
    else if (kind == Kind::Error)
        profile.crlUrls = {forgedUrl};
    Issued issued = ca.issue(profile);
    if (kind == Kind::Revoked)
        revoked.push_back(yx::X509Ptr(X509_dup(issued.cert.get())));
    return issued;
}

Issued People::person(const std::string& cn, const std::string& email, int keyIndex, int keyUsage) {
    return ca.issue({.cn = cn,
                     .email = email,
                     .keyUsage = keyUsage == -2 ? KU_DIGITAL_SIGNATURE | KU_KEY_ENCIPHERMENT : keyUsage,
                     .keyIndex = keyIndex});
}

void People::publish() {
    std::vector<X509*> list;
    for (auto& r : revoked)
        list.push_back(r.get());
    server.setBody("/root.crl", ca.crlDer(list));
    yx::EvpPkeyPtr wrong = pooledKey(4);
    server.setBody("/forged.crl", ca.forgedCrlDer(wrong.get()));
}

} // namespace yxtest
