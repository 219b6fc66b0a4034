// The decrypt dialog's reading of an encrypted file's head. It returns the message the dialog
// shows (caption "钥匣", error icon) instead of showing it, so the dialog and the command-line
// tool both pass it to the user through yx::prompt().
#pragma once

#include "KvxFormat.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace yx::kvx {

inline constexpr const char* kMsgOpenSourceFailed = "打开解密源文件失败！";
inline constexpr const char* kMsgFormatError = "加密文件格式错误！";
inline constexpr const char* kMsgReadFormatError = "读加密文件格式错误！";

struct DecryptHead {
    std::array<char, kMarkerArea> marker{};
    Version version = Version::None;
    HeaderBytes header{};
    char protectionFlag = 0; // the header's first byte ('1' = protected)
    std::vector<RecordBytes> records;
    uint64_t dataOffset = 0;

    EncFileHeader headerFields() const { return EncFileHeader::fromBytes(header); }
    bool isProtected() const { return protectionFlag == '1'; }
};

// 1 when the head was read (version 1, or version 2 even with no record); 0 with `message` set
// to what the dialog shows.
int ReadDecryptHead(const std::string& path, DecryptHead& head, std::string& message);

// A record whose certificate the user holds.
struct UsableRecord {
    size_t index = 0;        // in the head's record list
    std::string thumbprint;  // the record's thumbprint with every space removed
    std::string displayName; // what the certificate box shows
};

// A record's thumbprint text with every space removed, the key for the personal store.
std::string recordThumbprint(const RecordBytes& record);

// The records for which `holds(thumbprint)` is true, in file order (the box is not sorted).
std::vector<UsableRecord> usableRecords(const DecryptHead& head,
                                        const std::function<bool(const std::string&)>& holds);

} // namespace yx::kvx
