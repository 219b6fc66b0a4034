// Result codes of an encryption or decryption run and the messages that go with them.
#pragma once

#include <string>

namespace yx::kvx {

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

// The message of a result code, "" for success, cancel and unknown codes.
std::string engineMessage(int result);

// True for the codes whose message the run shows at its end (201 to 207 and 209); the
// decryption steps show theirs where they fail.
bool isEndMessage(int result);

} // namespace yx::kvx
