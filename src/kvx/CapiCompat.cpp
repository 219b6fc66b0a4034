#include "CapiCompat.h"

#include "GbkText.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <openssl/core_names.h>
#include <openssl/params.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>
#include <optional>

namespace yx::kvx::capi {
namespace {

bool md5(const void* data, size_t len, unsigned char out[16]) {
    unsigned int n = 0;
    return EVP_Digest(data, len, out, &n, EVP_md5(), nullptr) == 1 && n == 16;
}

bool isRsa(EVP_PKEY* key) {
    return key && EVP_PKEY_get_base_id(key) == EVP_PKEY_RSA;
}

void putHeader(unsigned char* p) {
    p[0] = SIMPLEBLOB;
    p[1] = CUR_BLOB_VERSION;
    p[2] = 0; // reserved
    p[3] = 0;
    for (int i = 0; i < 4; ++i) {
        p[4 + i] = static_cast<unsigned char>(CALG_3DES >> (8 * i));
        p[8 + i] = static_cast<unsigned char>(CALG_RSA_KEYX >> (8 * i));
    }
}

uint32_t le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// A padding failure must be an error, not a random key (OpenSSL 3.2 and later otherwise answer
// bad PKCS#1 v1.5 padding with a substitute message). Older versions do not know the
// parameter and ignore it.
void refuseImplicitRejection(EVP_PKEY_CTX* ctx) {
    unsigned int off = 0;
    OSSL_PARAM params[] = {OSSL_PARAM_construct_uint("implicit-rejection", &off), OSSL_PARAM_construct_end()};
    (void)EVP_PKEY_CTX_set_params(ctx, params);
}

} // namespace

void setOddParity(TripleDesKey& key) {
    for (auto& b : key) {
        const unsigned high = b & 0xFEu;
        b = static_cast<unsigned char>(high | ((std::popcount(high) % 2 == 0) ? 1u : 0u));
    }
}

TripleDesKey deriveKeyFromMd5(const unsigned char hash[16]) {
    unsigned char inner[64], outer[64];
    std::memset(inner, 0x36, sizeof inner);
    std::memset(outer, 0x5C, sizeof outer);
    for (int i = 0; i < 16; ++i) {
        inner[i] ^= hash[i];
        outer[i] ^= hash[i];
    }
    unsigned char both[32];
    md5(inner, sizeof inner, both);
    md5(outer, sizeof outer, both + 16);
    TripleDesKey key;
    std::memcpy(key.data(), both, key.size());
    setOddParity(key);
    OPENSSL_cleanse(inner, sizeof inner);
    OPENSSL_cleanse(outer, sizeof outer);
    OPENSSL_cleanse(both, sizeof both);
    return key;
}

bool derivePasswordKey(std::string_view password, TripleDesKey& key) {
    std::optional<std::string> ansi = utf8ToGbk(password);
    const std::string_view bytes = ansi ? std::string_view(*ansi) : password;
    unsigned char hash[16];
    const bool hashed = md5(bytes.data(), bytes.size(), hash);
    if (ansi)
        OPENSSL_cleanse(ansi->data(), ansi->size());
    if (!hashed)
        return false;
    key = deriveKeyFromMd5(hash);
    OPENSSL_cleanse(hash, sizeof hash);
    return true;
}

bool generateSessionKey(TripleDesKey& key) {
    if (RAND_bytes(key.data(), static_cast<int>(key.size())) != 1)
        return false;
    setOddParity(key);
    return true;
}

bool simpleBlobSize(EVP_PKEY* publicKey, size_t& size) {
    if (!isRsa(publicKey))
        return false;
    const int n = EVP_PKEY_get_size(publicKey);
    if (n <= 0)
        return false;
    size = kSimpleBlobHeaderSize + static_cast<size_t>(n);
    return true;
}

bool exportSimpleBlob(const TripleDesKey& key, EVP_PKEY* publicKey, std::vector<unsigned char>& blob) {
    size_t total = 0;
    if (!simpleBlobSize(publicKey, total))
        return false;
    EvpPkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, publicKey, nullptr));
    if (!ctx || EVP_PKEY_encrypt_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1)
        return false;
    std::vector<unsigned char> out(total);
    size_t ctLen = total - kSimpleBlobHeaderSize;
    if (EVP_PKEY_encrypt(ctx.get(), out.data() + kSimpleBlobHeaderSize, &ctLen, key.data(), key.size()) !=
            1 ||
        ctLen != total - kSimpleBlobHeaderSize)
        return false;
    putHeader(out.data());
    std::reverse(out.begin() + kSimpleBlobHeaderSize, out.end());
    blob = std::move(out);
    return true;
}

bool importSimpleBlob(const unsigned char* blob, size_t length, EVP_PKEY* privateKey, TripleDesKey& key) {
    size_t expected = 0;
    if (!blob || !simpleBlobSize(privateKey, expected) || length != expected)
        return false;
    if (blob[0] != SIMPLEBLOB || blob[1] != CUR_BLOB_VERSION || le32(blob + 4) != CALG_3DES ||
        le32(blob + 8) != CALG_RSA_KEYX)
        return false;
    std::vector<unsigned char> ct(blob + kSimpleBlobHeaderSize, blob + length);
    std::reverse(ct.begin(), ct.end());
    EvpPkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, privateKey, nullptr));
    if (!ctx || EVP_PKEY_decrypt_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1)
        return false;
    refuseImplicitRejection(ctx.get());
    std::vector<unsigned char> plain(ct.size());
    size_t plainLen = plain.size();
    if (EVP_PKEY_decrypt(ctx.get(), plain.data(), &plainLen, ct.data(), ct.size()) != 1 ||
        plainLen != key.size()) {
        OPENSSL_cleanse(plain.data(), plain.size());
        return false;
    }
    std::memcpy(key.data(), plain.data(), key.size());
    OPENSSL_cleanse(plain.data(), plain.size());
    return true;
}

bool checkPassword(const TripleDesKey& sessionKey, std::string_view password) {
    TripleDesKey passwordKey;
    if (!derivePasswordKey(password, passwordKey))
        return false;
    unsigned char buffer[1024] = {};
    std::memcpy(buffer, "hello", 5);
    unsigned char cipher[1024 + TripleDesStream::kBlockSize];
    size_t cipherLen = 0;
    TripleDesStream enc, dec;
    bool ok = enc.begin(sessionKey, true) && enc.update(buffer, 5, true, cipher, cipherLen);
    size_t plainLen = 0;
    ok = ok && dec.begin(passwordKey, false) && dec.update(cipher, cipherLen, true, buffer, plainLen);
    ok = ok && plainLen == 5 && std::memcmp(buffer, "hello", 5) == 0;
    OPENSSL_cleanse(passwordKey.data(), passwordKey.size());
    return ok;
}

} // namespace yx::kvx::capi
