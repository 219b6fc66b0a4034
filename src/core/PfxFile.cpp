#include "PfxFile.h"

#include "DerBytes.h"
#include "GbkText.h"
#include "SafeFile.h"

#include <cstring>
#include <openssl/err.h>
#include <openssl/provider.h>

namespace yx {
namespace {

// Far above what any tool writes, low enough that a hostile file cannot stall the program.
constexpr long kMaxIterations = 2'000'000;
// What we write: Windows' own exports use about 2000; more costs little on today's machines.
constexpr int kWriteIterations = 10000;
constexpr int kMaxNesting = 4;

struct Providers {
    OSSL_PROVIDER* defaults = nullptr;
    OSSL_PROVIDER* legacy = nullptr;
};

// Loaded once for the life of the process and never unloaded: certificates and keys parsed
// through them may live until exit. Loading "legacy" explicitly would stop OpenSSL from
// loading "default" on its own, so both are loaded.
const Providers& providers() {
    static const Providers p = [] {
        Providers r;
        r.defaults = OSSL_PROVIDER_load(nullptr, "default");
        r.legacy = OSSL_PROVIDER_load(nullptr, "legacy");
        ERR_clear_error();
        return r;
    }();
    return p;
}

struct Password {
    const char* text;
    int length;
};

// Windows tries both an empty password and no password for "", and files of both kinds exist.
std::vector<Password> candidates(const char* password) {
    if (password && *password)
        return {{password, static_cast<int>(std::strlen(password))}};
    return {{"", 0}, {nullptr, 0}};
}

bool iterationsOk(const ASN1_INTEGER* iter) {
    if (!iter)
        return true; // absent means 1
    const long v = ASN1_INTEGER_get(iter);
    return v > 0 && v <= kMaxIterations;
}

bool cipherAvailable(int cipherNid) {
    const char* name = OBJ_nid2sn(cipherNid);
    if (!name)
        return false;
    EVP_CIPHER* c = EVP_CIPHER_fetch(nullptr, name, nullptr);
    EVP_CIPHER_free(c);
    ERR_clear_error();
    return c != nullptr;
}

enum class Outcome { Ok, DecryptFailed, NeedsLegacy, Bad };

// Checks the parameters of a password-based encryption before it runs: refuses absurd iteration
// counts and tells a cipher this OpenSSL cannot provide (RC2, DES without the legacy provider).
Outcome checkPbe(const X509_ALGOR* alg) {
    if (!alg || !alg->algorithm)
        return Outcome::Bad;
    const int nid = OBJ_obj2nid(alg->algorithm);
    const ASN1_TYPE* param = alg->parameter;
    if (!param || param->type != V_ASN1_SEQUENCE)
        return Outcome::Bad;
    int cipherNid = NID_undef;
    if (nid == NID_pbes2) {
        std::unique_ptr<PBE2PARAM, OsslDeleter<PBE2PARAM_free>> p2(
            static_cast<PBE2PARAM*>(ASN1_item_unpack(param->value.sequence, ASN1_ITEM_rptr(PBE2PARAM))));
        if (!p2 || !p2->keyfunc || !p2->encryption || !p2->encryption->algorithm)
            return Outcome::Bad;
        if (OBJ_obj2nid(p2->keyfunc->algorithm) == NID_id_pbkdf2) {
            const ASN1_TYPE* kp = p2->keyfunc->parameter;
            if (!kp || kp->type != V_ASN1_SEQUENCE)
                return Outcome::Bad;
            std::unique_ptr<PBKDF2PARAM, OsslDeleter<PBKDF2PARAM_free>> kdf(
                static_cast<PBKDF2PARAM*>(ASN1_item_unpack(kp->value.sequence, ASN1_ITEM_rptr(PBKDF2PARAM))));
            if (!kdf || !iterationsOk(kdf->iter))
                return Outcome::Bad;
        }
        cipherNid = OBJ_obj2nid(p2->encryption->algorithm);
    } else {
        std::unique_ptr<PBEPARAM, OsslDeleter<PBEPARAM_free>> pbe(
            static_cast<PBEPARAM*>(ASN1_item_unpack(param->value.sequence, ASN1_ITEM_rptr(PBEPARAM))));
        if (!pbe || !iterationsOk(pbe->iter))
            return Outcome::Bad;
        int mdNid = NID_undef;
        if (!EVP_PBE_find(EVP_PBE_TYPE_OUTER, nid, &cipherNid, &mdNid, nullptr))
            return Outcome::Bad;
    }
    if (cipherNid == NID_undef || !cipherAvailable(cipherNid))
        return providers().legacy ? Outcome::Bad : Outcome::NeedsLegacy;
    return Outcome::Ok;
}

// UTF-8 to big-endian UTF-16 with surrogate pairs; malformed sequences become U+FFFD.
std::vector<unsigned char> utf8ToBmp(const std::string& s) {
    std::vector<unsigned char> out;
    auto put16 = [&](unsigned long u) {
        out.push_back(static_cast<unsigned char>(u >> 8));
        out.push_back(static_cast<unsigned char>(u & 0xFF));
    };
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        unsigned long cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        bool ok = len > 0 && i + static_cast<size_t>(len) <= s.size();
        for (int j = 1; ok && j < len; ++j) {
            const auto c = static_cast<unsigned char>(s[i + static_cast<size_t>(j)]);
            ok = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3F);
        }
        static const unsigned long kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!ok || cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
            put16(0xFFFD);
            ++i;
            continue;
        }
        i += static_cast<size_t>(len);
        if (cp >= 0x10000) {
            put16(0xD800 + ((cp - 0x10000) >> 10));
            put16(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put16(cp);
        }
    }
    return out;
}

// The friendly name is UTF-16 big-endian (BMPString), with surrogate pairs from Windows.
// Converted here because OpenSSL 3.0's own conversion fails on names that end in a character
// needing three UTF-8 bytes (most Chinese names). Bad surrogates become U+FFFD; a terminating
// NUL, which some writers include, is dropped.
std::optional<std::string> friendlyNameOf(const PKCS12_SAFEBAG* bag) {
    const ASN1_TYPE* t = PKCS12_SAFEBAG_get0_attr(bag, NID_friendlyName);
    if (!t || t->type != V_ASN1_BMPSTRING || !t->value.bmpstring)
        return std::nullopt;
    const unsigned char* u = ASN1_STRING_get0_data(t->value.bmpstring);
    const size_t n = static_cast<size_t>(ASN1_STRING_length(t->value.bmpstring)) / 2;
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        unsigned long cp = (static_cast<unsigned long>(u[2 * i]) << 8) | u[2 * i + 1];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < n) {
            const unsigned long lo = (static_cast<unsigned long>(u[2 * i + 2]) << 8) | u[2 * i + 3];
            if (lo >= 0xDC00 && lo < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            }
        }
        if (cp >= 0xD800 && cp < 0xE000)
            cp = 0xFFFD;
        if (cp == 0 && i + 1 == n)
            break;
        appendUtf8(out, cp);
    }
    return out;
}

std::string localKeyIdOf(const PKCS12_SAFEBAG* bag) {
    const ASN1_TYPE* t = PKCS12_SAFEBAG_get0_attr(bag, NID_localKeyID);
    if (!t || t->type != V_ASN1_OCTET_STRING || !t->value.octet_string)
        return {};
    const ASN1_OCTET_STRING* s = t->value.octet_string;
    return std::string(reinterpret_cast<const char*>(ASN1_STRING_get0_data(s)),
                       static_cast<size_t>(ASN1_STRING_length(s)));
}

struct KeyItem {
    EvpPkeyPtr key;
    std::optional<std::string> name;
    std::string localKeyId;
};

struct CertItem {
    X509Ptr cert;
    std::optional<std::string> name;
    std::string localKeyId;
};

struct Collected {
    std::vector<KeyItem> keys;
    std::vector<CertItem> certs;
};

using BagStack = STACK_OF(PKCS12_SAFEBAG);
void freeBags(BagStack* s) {
    sk_PKCS12_SAFEBAG_pop_free(s, PKCS12_SAFEBAG_free);
}
using BagStackPtr = std::unique_ptr<BagStack, OsslDeleter<freeBags>>;
void freeSafes(STACK_OF(PKCS7) * s) {
    sk_PKCS7_pop_free(s, PKCS7_free);
}
using SafeStackPtr = std::unique_ptr<STACK_OF(PKCS7), OsslDeleter<freeSafes>>;

Outcome collectBags(const BagStack* bags, const Password& pw, Collected& out, int depth) {
    if (depth > kMaxNesting)
        return Outcome::Bad;
    for (int i = 0; i < sk_PKCS12_SAFEBAG_num(bags); ++i) {
        const PKCS12_SAFEBAG* bag = sk_PKCS12_SAFEBAG_value(bags, i);
        switch (PKCS12_SAFEBAG_get_nid(bag)) {
        case NID_keyBag: {
            const PKCS8_PRIV_KEY_INFO* p8 = PKCS12_SAFEBAG_get0_p8inf(bag);
            EvpPkeyPtr key(p8 ? EVP_PKCS82PKEY(p8) : nullptr);
            if (!key)
                return Outcome::Bad;
            out.keys.push_back({std::move(key), friendlyNameOf(bag), localKeyIdOf(bag)});
            break;
        }
        case NID_pkcs8ShroudedKeyBag: {
            const X509_SIG* sig = PKCS12_SAFEBAG_get0_pkcs8(bag);
            if (!sig)
                return Outcome::Bad;
            const X509_ALGOR* alg = nullptr;
            X509_SIG_get0(sig, &alg, nullptr);
            if (const Outcome o = checkPbe(alg); o != Outcome::Ok)
                return o;
            std::unique_ptr<PKCS8_PRIV_KEY_INFO, OsslDeleter<PKCS8_PRIV_KEY_INFO_free>> p8(
                PKCS12_decrypt_skey(bag, pw.text, pw.length));
            if (!p8)
                return Outcome::DecryptFailed;
            EvpPkeyPtr key(EVP_PKCS82PKEY(p8.get()));
            if (!key)
                return Outcome::DecryptFailed; // a wrong password decrypts to garbage now and then
            out.keys.push_back({std::move(key), friendlyNameOf(bag), localKeyIdOf(bag)});
            break;
        }
        case NID_certBag: {
            if (PKCS12_SAFEBAG_get_bag_nid(bag) != NID_x509Certificate)
                break; // SDSI certificates: nothing we can use
            X509Ptr cert(PKCS12_SAFEBAG_get1_cert(bag));
            if (!cert)
                return Outcome::Bad;
            out.certs.push_back({std::move(cert), friendlyNameOf(bag), localKeyIdOf(bag)});
            break;
        }
        case NID_safeContentsBag: {
            const BagStack* inner = PKCS12_SAFEBAG_get0_safes(bag);
            if (!inner)
                return Outcome::Bad;
            if (const Outcome o = collectBags(inner, pw, out, depth + 1); o != Outcome::Ok)
                return o;
            break;
        }
        default:
            break; // CRL and secret bags are not needed
        }
    }
    return Outcome::Ok;
}

Outcome collectAll(const STACK_OF(PKCS7) * safes, const Password& pw, Collected& out) {
    for (int i = 0; i < sk_PKCS7_num(safes); ++i) {
        PKCS7* p7 = sk_PKCS7_value(safes, i);
        BagStackPtr bags;
        const int type = OBJ_obj2nid(p7->type);
        if (type == NID_pkcs7_data) {
            if (!p7->d.data)
                return Outcome::Bad;
            bags.reset(PKCS12_unpack_p7data(p7));
            if (!bags)
                return Outcome::Bad;
        } else if (type == NID_pkcs7_encrypted) {
            if (!p7->d.encrypted || !p7->d.encrypted->enc_data || !p7->d.encrypted->enc_data->enc_data)
                return Outcome::Bad;
            if (const Outcome o = checkPbe(p7->d.encrypted->enc_data->algorithm); o != Outcome::Ok)
                return o;
            bags.reset(PKCS12_unpack_p7encdata(p7, pw.text, pw.length));
            if (!bags)
                return Outcome::DecryptFailed;
        } else {
            continue; // public-key privacy mode: not used by any tool we know
        }
        if (const Outcome o = collectBags(bags.get(), pw, out, 0); o != Outcome::Ok)
            return o;
    }
    return Outcome::Ok;
}

// Picks the key and the certificate that belong together: the first key with a certificate
// of the same local key id, else any certificate whose public key matches.
void pairUp(Collected& c, PfxContents& out) {
    int keyIdx = -1, certIdx = -1;
    for (size_t k = 0; k < c.keys.size() && certIdx < 0; ++k) {
        for (size_t i = 0; i < c.certs.size() && certIdx < 0; ++i)
            if (!c.keys[k].localKeyId.empty() && c.keys[k].localKeyId == c.certs[i].localKeyId &&
                X509_check_private_key(c.certs[i].cert.get(), c.keys[k].key.get()) == 1)
                keyIdx = static_cast<int>(k), certIdx = static_cast<int>(i);
        for (size_t i = 0; i < c.certs.size() && certIdx < 0; ++i)
            if (X509_check_private_key(c.certs[i].cert.get(), c.keys[k].key.get()) == 1)
                keyIdx = static_cast<int>(k), certIdx = static_cast<int>(i);
    }
    if (certIdx < 0) { // no pair: the first of each, the caller decides
        keyIdx = c.keys.empty() ? -1 : 0;
        certIdx = c.certs.empty() ? -1 : 0;
    }
    if (keyIdx >= 0) {
        out.key = std::move(c.keys[static_cast<size_t>(keyIdx)].key);
        out.friendlyName = c.keys[static_cast<size_t>(keyIdx)].name;
    }
    if (certIdx >= 0) {
        auto& ci = c.certs[static_cast<size_t>(certIdx)];
        out.cert = std::move(ci.cert);
        if (!out.friendlyName)
            out.friendlyName = ci.name;
    }
    for (size_t i = 0; i < c.certs.size(); ++i) {
        X509* x = c.certs[i].cert.get();
        if (static_cast<int>(i) == certIdx || !x || (out.cert && X509_cmp(x, out.cert.get()) == 0))
            continue;
        out.chain.push_back(std::move(c.certs[i].cert));
    }
}

// Like PKCS12_create, but with the friendly name stored as real UTF-16 (PKCS12_create widens
// it byte by byte, which garbles any non-ASCII name, and OpenSSL 3.0's UTF-8 variant refuses
// characters beyond the BMP). Key and certificate carry the same name
// and local key id, as Windows' own exports do.
PKCS12* buildPfx(EVP_PKEY* key, X509* cert, STACK_OF(X509) * ca, const std::optional<std::string>& name,
                 const char* pass) {
    if (!key && !cert && sk_X509_num(ca) == 0)
        return nullptr;
    if (key && cert && X509_check_private_key(cert, key) != 1)
        return nullptr;
    const int nid = NID_pbe_WithSHA1And3_Key_TripleDES_CBC;
    unsigned char keyId[EVP_MAX_MD_SIZE];
    unsigned int keyIdLen = 0;
    if (cert && X509_digest(cert, EVP_sha1(), keyId, &keyIdLen) != 1)
        return nullptr;
    const std::vector<unsigned char> bmpName = name ? utf8ToBmp(*name) : std::vector<unsigned char>();
    auto label = [&](PKCS12_SAFEBAG* bag) {
        if (name && PKCS12_add_friendlyname_uni(bag, bmpName.data(), static_cast<int>(bmpName.size())) != 1)
            return false;
        return keyIdLen == 0 || !key || PKCS12_add_localkeyid(bag, keyId, static_cast<int>(keyIdLen)) == 1;
    };

    BagStackPtr certBags(sk_PKCS12_SAFEBAG_new_null());
    BagStackPtr keyBags(sk_PKCS12_SAFEBAG_new_null());
    SafeStackPtr safes(sk_PKCS7_new_null());
    if (!certBags || !keyBags || !safes)
        return nullptr;
    STACK_OF(PKCS12_SAFEBAG)* cb = certBags.get();
    if (cert) {
        PKCS12_SAFEBAG* bag = PKCS12_add_cert(&cb, cert);
        if (!bag || !label(bag))
            return nullptr;
    }
    for (int i = 0; i < sk_X509_num(ca); ++i)
        if (!PKCS12_add_cert(&cb, sk_X509_value(ca, i)))
            return nullptr;
    STACK_OF(PKCS7)* sp = safes.get();
    if (sk_PKCS12_SAFEBAG_num(cb) > 0 &&
        !PKCS12_add_safe_ex(&sp, cb, nid, kWriteIterations, pass, nullptr, nullptr))
        return nullptr;
    if (key) {
        STACK_OF(PKCS12_SAFEBAG)* kb = keyBags.get();
        PKCS12_SAFEBAG* bag = PKCS12_add_key_ex(&kb, key, 0, kWriteIterations, nid, pass, nullptr, nullptr);
        if (!bag || !label(bag) || !PKCS12_add_safe_ex(&sp, kb, -1, 0, nullptr, nullptr, nullptr))
            return nullptr;
    }
    return PKCS12_add_safes_ex(sp, 0, nullptr, nullptr);
}

int readPfxImpl(const std::vector<unsigned char>& bytes, const char* password, PfxContents& out) {
    providers();
    if (bytes.empty() || bytes.size() > kMaxPfxFileSize)
        return rc::kNotPfx;
    const unsigned char* p = bytes.data();
    Pkcs12Ptr p12(d2i_PKCS12(nullptr, &p, static_cast<long>(bytes.size())));
    if (!p12 || p != bytes.data() + bytes.size())
        return rc::kNotPfx;
    SafeStackPtr safes(PKCS12_unpack_authsafes(p12.get()));
    if (!safes)
        return rc::kNotPfx;

    std::vector<Password> tries = candidates(password);
    const bool hasMac = PKCS12_mac_present(p12.get()) == 1;
    if (hasMac) {
        const ASN1_INTEGER* iter = nullptr;
        PKCS12_get0_mac(nullptr, nullptr, nullptr, &iter, p12.get());
        if (!iterationsOk(iter))
            return rc::kNotPfx;
        size_t good = tries.size();
        for (size_t i = 0; i < tries.size() && good == tries.size(); ++i)
            if (PKCS12_verify_mac(p12.get(), tries[i].text, tries[i].length) == 1)
                good = i;
        if (good == tries.size())
            return rc::kWrongPassword; // or a damaged MAC: the two cannot be told apart
        std::swap(tries[0], tries[good]);
    }

    Outcome last = Outcome::DecryptFailed;
    for (const Password& pw : tries) {
        Collected c;
        last = collectAll(safes.get(), pw, c);
        if (last == Outcome::Ok) {
            pairUp(c, out);
            return rc::kOk;
        }
        if (last != Outcome::DecryptFailed)
            break;
    }
    if (last == Outcome::NeedsLegacy)
        return rc::kLegacyUnavailable;
    if (last == Outcome::DecryptFailed && !hasMac)
        return rc::kWrongPassword;
    return rc::kNotPfx; // the MAC was right, so the contents are damaged or of an unknown kind
}

} // namespace

bool ensureLegacyProvider() {
    return providers().legacy != nullptr;
}

const char* legacyProviderMessage() {
    return "无法加载 OpenSSL 的旧算法模块（legacy provider），不能读取这个旧格式的 PFX 文件。";
}

int readPfx(const std::vector<unsigned char>& bytes, const char* password, PfxContents& out) {
    out = PfxContents{};
    const int rc = readPfxImpl(bytes, password, out);
    if (rc != rc::kOk)
        out = PfxContents{};
    ERR_clear_error(); // nothing of a refused file stays on the thread's error queue
    return rc;
}

std::optional<std::vector<unsigned char>> writePfx(EVP_PKEY* key, X509* cert, const std::vector<X509*>& chain,
                                                   const std::optional<std::string>& friendlyName,
                                                   const char* password) {
    providers();
    const char* pass = password ? password : "";
    X509StackPtr ca(sk_X509_new_null());
    if (!ca)
        return std::nullopt;
    for (X509* c : chain) {
        if (!c || sk_X509_push(ca.get(), c) <= 0)
            return std::nullopt;
        X509_up_ref(c);
    }
    // 3DES with SHA-1 for both key and certificates: the newest kind every Windows since XP reads.
    Pkcs12Ptr p12(buildPfx(key, cert, ca.get(), friendlyName, pass));
    std::optional<std::vector<unsigned char>> result;
    if (p12 && PKCS12_set_mac(p12.get(), pass, -1, nullptr, 0, kWriteIterations, EVP_sha1()) == 1) {
        if (auto der = toDer<i2d_PKCS12>(p12.get()); !der.empty())
            result = std::move(der);
    }
    ERR_clear_error();
    return result;
}

} // namespace yx

int CPFXFile::UpdateP12FilePasswd(const char* source, const char* sourcePassword, const char* target,
                                  const char* newPassword) {
    if (!source || !target)
        return source ? yx::rc::kTargetCreate : yx::rc::kNotPfx;
    auto bytes = yx::readWholeFile(source, yx::kMaxPfxFileSize);
    if (!bytes)
        return yx::rc::kNotPfx;
    yx::PfxContents pfx;
    if (const int rc = yx::readPfx(*bytes, sourcePassword, pfx); rc != yx::rc::kOk)
        return rc;
    std::vector<X509*> chain;
    for (auto& c : pfx.chain)
        chain.push_back(c.get());
    auto out = yx::writePfx(pfx.key.get(), pfx.cert.get(), chain, pfx.friendlyName, newPassword);
    if (!out)
        return yx::rc::kFailed;
    const bool written = yx::atomicWriteFile(target, *out, 0600);
    OPENSSL_cleanse(out->data(), out->size());
    return written ? yx::rc::kOk : yx::rc::kTargetCreate;
}
