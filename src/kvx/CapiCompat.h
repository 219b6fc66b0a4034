// The parts of CryptoAPI (Microsoft Enhanced Cryptographic Provider, PROV_RSA_FULL) that the
// encrypted file relies on, done with OpenSSL so keys and blobs are exchangeable with Windows
// builds:
//
// - CryptDeriveKey(CALG_3DES) from an MD5 hash: the hash (16 bytes) is shorter than the key
//   (24 bytes), so CryptoAPI XORs it into a 64-byte buffer of 0x36 and into one of 0x5C, hashes
//   each with MD5, concatenates both hashes and takes the first 24 bytes. No salt.
// - Key bytes: a CALG_3DES key is the three DES keys K1 K2 K3 in encryption order, each
//   8 bytes, exactly the byte string OpenSSL's des-ede3 takes (openssl enc -K). CryptoAPI's
//   providers keep DES-family keys with odd parity: the lowest bit of each byte is set so that
//   the byte has an odd number of one bits, after a key is generated and after it is derived.
//   DES never reads those bits, so parity changes no ciphertext; it shows only in the key
//   bytes inside an exported blob, which therefore carry it here too. Imported keys are taken
//   as they come (parity is not checked).
// - SIMPLEBLOB: BLOBHEADER {bType 1 (SIMPLEBLOB), bVersion 2, reserved 0, aiKeyAlg CALG_3DES},
//   the ALG_ID of the wrapping key CALG_RSA_KEYX, then the RSA PKCS#1 v1.5 (type 2) encryption
//   of the 24 key bytes with the bytes of the ciphertext in reverse order (CryptoAPI writes
//   big numbers least significant byte first). 12 + modulus bytes in all.
#pragma once

#include "OpenSslHolders.h"
#include "TripleDesStream.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace yx::kvx::capi {

inline constexpr uint32_t CALG_MD5 = 0x8003;
inline constexpr uint32_t CALG_3DES = 0x6603;
inline constexpr uint32_t CALG_RSA_KEYX = 0xa400;
inline constexpr unsigned char SIMPLEBLOB = 1;
inline constexpr unsigned char CUR_BLOB_VERSION = 2;
inline constexpr size_t kSimpleBlobHeaderSize = 12;

// Sets the lowest bit of every byte so that each byte has odd parity.
void setOddParity(TripleDesKey& key);

// CryptDeriveKey(CALG_3DES) over an MD5 hash value (16 bytes).
TripleDesKey deriveKeyFromMd5(const unsigned char md5[16]);
// MD5 of the password's bytes (no terminator), then the derivation above. The password arrives
// as UTF-8 and is hashed in GBK, the ANSI code page in which Windows builds hash it, so a
// Chinese password opens files from both; a password GBK cannot express is hashed as UTF-8.
bool derivePasswordKey(std::string_view password, TripleDesKey& key);
// CryptGenKey(CALG_3DES): 24 random bytes with odd parity.
bool generateSessionKey(TripleDesKey& key);

// Size of the SIMPLEBLOB for this public key (12 + modulus bytes); false when it is no RSA key.
bool simpleBlobSize(EVP_PKEY* publicKey, size_t& size);
// CryptExportKey(SIMPLEBLOB) of `key` for an RSA public key.
bool exportSimpleBlob(const TripleDesKey& key, EVP_PKEY* publicKey, std::vector<unsigned char>& blob);
// CryptImportKey of a SIMPLEBLOB with the RSA private exchange key. False for a blob of the
// wrong kind, the wrong length for this key, bad padding, or a key that is not 24 bytes.
bool importSimpleBlob(const unsigned char* blob, size_t length, EVP_PKEY* privateKey, TripleDesKey& key);

// The protection-password check: "hello" encrypted with the session key as one final piece,
// decrypted with the key derived from `password`, must read "hello" again.
bool checkPassword(const TripleDesKey& sessionKey, std::string_view password);

} // namespace yx::kvx::capi
