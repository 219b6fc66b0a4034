// The result codes of every layer in one space: 0 is success everywhere, and every failure code
// means one thing wherever it appears, so a caller (and the tool's exit status, which passes them
// on) can tell them apart. The values 6, 7, 8, 13, the certificate object's codes and the
// engine's 201 to 208 are fixed by the system; the others only need to stay distinct.
#pragma once

#include <array>
#include <cstddef>

namespace yx::rc {
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1; // generic failure (store cannot be written, ...)
inline constexpr int kUsage = 2;  // yaoxia-tool: the command line is not understood
// The certificate object (CDigitalCertificate); its 1 is an answer ("usable"), not a failure, and
// its 2 (GetCertInfo with an unknown key) is an error in the program's own key names, which no
// caller tells apart from other failures, so it shares 2 with the tool's usage status.
inline constexpr int kUnknownKey = 2;
inline constexpr int kCannotOpenFile = 3;
inline constexpr int kPlatformError = 4;
inline constexpr int kNotPfx = 6;        // not a PFX file
inline constexpr int kWrongPassword = 7; // wrong PFX password
inline constexpr int kNotCertFile = 8;   // not a certificate file
inline constexpr int kRevoked = 9;
inline constexpr int kRevocationOffline = 10;
inline constexpr int kRevocationError = 11;
inline constexpr int kNoRevocationCheck = 12;
inline constexpr int kTargetCreate = 13;      // target file cannot be created
inline constexpr int kLegacyUnavailable = 14; // PFX needs OpenSSL's legacy provider, which cannot be loaded
inline constexpr int kNoPrivateKey = 15;      // PFX holds no private key matching a certificate
// Directory (LDAP) look-up.
inline constexpr int kNoCriteria = 21;    // name and e-mail both empty
inline constexpr int kBadHost = 22;       // not an ldap:// or ldaps:// URL
inline constexpr int kConnectFailed = 23; // cannot reach the server, or the TLS handshake failed
inline constexpr int kTimedOut = 24;      // the server did not answer in time
inline constexpr int kSearchFailed = 25;  // the server refused the bind or the search
// Batch configuration of the address book's contacts.
inline constexpr int kBatchCancelled = 26;
inline constexpr int kBatchDirectoryFailed = 27;
} // namespace yx::rc

namespace yx::nss {
inline constexpr int kOk = rc::kOk;
inline constexpr int kFailed = rc::kFailed;               // NSS refused the operation
inline constexpr int kWrongPassword = rc::kWrongPassword; // the database's primary password
inline constexpr int kNoPrivateKey = rc::kNoPrivateKey;   // a personal certificate without its key
inline constexpr int kLegacyDatabase = 30;                // only cert8.db: left alone
inline constexpr int kNoDatabase = 31;                    // folder gone, or it holds no database
inline constexpr int kCannotOpen = 32;                    // damaged, locked or unreadable
inline constexpr int kAlreadyPresent = 33;                // publish: the database had it already
inline constexpr int kNotPublishedHere = 34;              // withdraw: not there, or not put there by us
inline constexpr int kCancelled = 35;                     // the password question was cancelled
inline constexpr int kProfileInUse = 36;                  // the mail program has the profile open
inline constexpr int kNoPrefs = 37;                       // the profile's prefs.js cannot be read
} // namespace yx::nss

namespace yx::update {
inline constexpr int kUpdateAvailable = 0; // a newer, correctly signed version is offered
inline constexpr int kNoUpdate = 101;      // the server's version is not newer than ours
inline constexpr int kBadServer = 102;     // the server or download address is not one we accept
inline constexpr int kNoAnswer = 103;      // refused, timed out, HTTP error
inline constexpr int kRedirectRefused = 104;
inline constexpr int kTooLarge = 105;
inline constexpr int kBadSignature = 106;
inline constexpr int kBadManifest = 107;
inline constexpr int kCancelled = 108;
inline constexpr int kHashMismatch = 109;
inline constexpr int kSaveFailed = 110;
} // namespace yx::update

namespace yx::kvx {
// An encryption or decryption run.
enum EngineResult : int {
    kResultOk = 0,
    kEmptySource = 201,      // "源文件内容为空！"
    kFileIo = 202,           // "文件读写错误！"
    kCryptCall = 203,        // "加解密函数调用错误！"
    kCertCopy = 204,         // "复制证书内容错误！"
    kPublicKeyImport = 205,  // "从证书导入公钥失败！"
    kSessionKeySize = 206,   // "产生会话密钥失败！"
    kSessionKeyExport = 207, // "加密会话密钥失败！"
    kCancelled = 208,        // no message
    // A recipient's RSA key is so long that its key blob does not fit the record's 512 bytes
    // (moduli above 4000 bits); refused before anything of the payload is written.
    kRecipientKeyTooLong = 209,
    // The decryption steps that show their own message and end the run with no result
    // message; the codes let callers (the command-line tool) tell them apart.
    kEncFileEmpty = 210,      // "加密文件内容为空!"
    kEncFileDamaged = 211,    // "加密文件损坏!"
    kNoCertificate = 212,     // "没有可用的证书"
    kPrivateKeyMissing = 213, // "寻找证书私钥失败！"
    kPrivateKeyExport = 214,  // "导出私钥失败！"
    kSessionKeyImport = 215,  // "解密加密的对称密钥失败！"
    kWrongPassword = 216,     // "口令错误！"
    // Version 1 files need the maker's library, which this build has not.
    kVersion1Unsupported = 217, // "调用加密函数失败，解密失败！"
    // The decrypt operation before the run (the head reader's own message was shown).
    kHeadUnreadable = 218,
    kNoDecryptCertificate = 219, // "没有可用的解密证书！"
    kPasswordMissing = 220,      // "解密失败！": a protected file and no password entered
};
} // namespace yx::kvx

namespace yx::rc {
// Every failure code once (the modules' aliases of kFailed, kWrongPassword and kNoPrivateKey, and
// kUnknownKey, are the same codes).
inline constexpr std::array kAllFailures{kFailed,
                                         kUsage,
                                         kCannotOpenFile,
                                         kPlatformError,
                                         kNotPfx,
                                         kWrongPassword,
                                         kNotCertFile,
                                         kRevoked,
                                         kRevocationOffline,
                                         kRevocationError,
                                         kNoRevocationCheck,
                                         kTargetCreate,
                                         kLegacyUnavailable,
                                         kNoPrivateKey,
                                         kNoCriteria,
                                         kBadHost,
                                         kConnectFailed,
                                         kTimedOut,
                                         kSearchFailed,
                                         kBatchCancelled,
                                         kBatchDirectoryFailed,
                                         nss::kLegacyDatabase,
                                         nss::kNoDatabase,
                                         nss::kCannotOpen,
                                         nss::kAlreadyPresent,
                                         nss::kNotPublishedHere,
                                         nss::kCancelled,
                                         nss::kProfileInUse,
                                         nss::kNoPrefs,
                                         update::kNoUpdate,
                                         update::kBadServer,
                                         update::kNoAnswer,
                                         update::kRedirectRefused,
                                         update::kTooLarge,
                                         update::kBadSignature,
                                         update::kBadManifest,
                                         update::kCancelled,
                                         update::kHashMismatch,
                                         update::kSaveFailed,
                                         int(kvx::kEmptySource),
                                         int(kvx::kFileIo),
                                         int(kvx::kCryptCall),
                                         int(kvx::kCertCopy),
                                         int(kvx::kPublicKeyImport),
                                         int(kvx::kSessionKeySize),
                                         int(kvx::kSessionKeyExport),
                                         int(kvx::kCancelled),
                                         int(kvx::kRecipientKeyTooLong),
                                         int(kvx::kEncFileEmpty),
                                         int(kvx::kEncFileDamaged),
                                         int(kvx::kNoCertificate),
                                         int(kvx::kPrivateKeyMissing),
                                         int(kvx::kPrivateKeyExport),
                                         int(kvx::kSessionKeyImport),
                                         int(kvx::kWrongPassword),
                                         int(kvx::kVersion1Unsupported),
                                         int(kvx::kHeadUnreadable),
                                         int(kvx::kNoDecryptCertificate),
                                         int(kvx::kPasswordMissing)};

template <std::size_t N> constexpr bool allDistinctFailures(const std::array<int, N>& codes) {
    for (std::size_t i = 0; i < N; ++i) {
        if (codes[i] == kOk)
            return false;
        for (std::size_t j = i + 1; j < N; ++j)
            if (codes[i] == codes[j])
                return false;
    }
    return true;
}
static_assert(allDistinctFailures(kAllFailures), "two failures share a result code");
} // namespace yx::rc
