#include "EngineResult.h"

namespace yx::kvx {

std::string engineMessage(int result) {
    switch (result) {
    case kEmptySource:
        return "源文件内容为空！";
    case kFileIo:
        return "文件读写错误！";
    case kCryptCall:
        return "加解密函数调用错误！";
    case kCertCopy:
        return "复制证书内容错误！";
    case kPublicKeyImport:
        return "从证书导入公钥失败！";
    case kSessionKeySize:
        return "产生会话密钥失败！";
    case kSessionKeyExport:
        return "加密会话密钥失败！";
    case kRecipientKeyTooLong:
        return "证书的公钥太长，无法加密会话密钥！";
    case kEncFileEmpty:
        return "加密文件内容为空!";
    case kEncFileDamaged:
        return "加密文件损坏!";
    case kNoCertificate:
        return "没有可用的证书";
    case kPrivateKeyMissing:
        return "寻找证书私钥失败！";
    case kPrivateKeyExport:
        return "导出私钥失败！";
    case kSessionKeyImport:
        return "解密加密的对称密钥失败！";
    case kWrongPassword:
        return "口令错误！";
    case kVersion1Unsupported:
        return "调用加密函数失败，解密失败！";
    case kNoDecryptCertificate:
        return "没有可用的解密证书！";
    case kPasswordMissing:
        return "解密失败！";
    default:
        return "";
    }
}

bool isEndMessage(int result) {
    return (result >= kEmptySource && result <= kSessionKeyExport) || result == kRecipientKeyTooLong;
}

} // namespace yx::kvx
