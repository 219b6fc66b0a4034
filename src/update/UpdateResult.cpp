#include "UpdateResult.h"

namespace yx::update {

std::string resultMessage(int code) {
    switch (code) {
    case kUpdateAvailable:
        return {};
    case kNoUpdate:
        return "没有可用的更新！";
    case kBadServer:
        return "更新服务器地址无效：只接受 https:// 地址。";
    case kNoAnswer:
        return "无法连接更新服务器，请稍后再试。";
    case kRedirectRefused:
        return "更新服务器把请求转到了另一台主机，已拒绝。";
    case kTooLarge:
        return "更新服务器返回的数据超出允许的大小，已拒绝。";
    case kBadSignature:
        return "更新清单的签名无效，已拒绝此次更新。";
    case kBadManifest:
        return "更新清单的格式不正确，已拒绝此次更新。";
    case kCancelled:
        return "下载已取消。";
    case kHashMismatch:
        return "下载的文件与更新清单中的 SHA-256 校验值不符，文件未保存。";
    case kSaveFailed:
        return "无法保存下载的文件。";
    default:
        return "在线升级失败。";
    }
}

} // namespace yx::update
