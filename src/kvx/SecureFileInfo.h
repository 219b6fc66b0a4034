// CSecureFileInfo: the head of an encrypted file as the properties dialog reads it, and the
// texts that dialog shows.
#pragma once

#include "KvxFormat.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CSecureFileInfo {
public:
    CSecureFileInfo() = default;
    virtual ~CSecureFileInfo() = default;

    // 0 when the file is version 1, or is read as version 2 with at least one record; -1 when it
    // cannot be opened, is short, or holds no tagged record. Whatever is not version 1 is read
    // as version 2; callers tell version 2 by the marker.
    int Read(const std::string& path);
    // Frees every record and empties the list.
    void Clear();

    yx::kvx::Version version() const;
    const std::array<char, yx::kvx::kMarkerArea>& marker() const { return m_marker; }
    const yx::kvx::HeaderBytes& headerBytes() const { return m_header; }
    yx::kvx::EncFileHeader header() const { return yx::kvx::EncFileHeader::fromBytes(m_header); }
    const std::vector<yx::kvx::RecordBytes>& records() const { return m_records; }
    uint64_t dataOffset() const { return m_dataOffset; }
    const std::string& path() const { return m_path; }

private:
    std::string m_path; // at most 260 bytes are kept
    std::array<char, yx::kvx::kMarkerArea> m_marker{};
    yx::kvx::HeaderBytes m_header{};
    std::vector<yx::kvx::RecordBytes> m_records;
    uint64_t m_dataOffset = 0;
};

namespace yx::kvx {

// What the secure-file properties dialog shows, control by control. An empty text leaves the
// control empty.
struct SecureFileProperties {
    std::string fileType;                // 211 "安全文件类型："
    std::string extension;               // 204 "原始文件类型："
    std::string size;                    // 201 "原始文件大小："
    std::string algorithm;               // 205 "加密算法："
    std::string protection;              // 212 "密码保护设置："
    std::vector<std::string> recipients; // 213 "加密者证书信息：", display names in file order
};

// Reads the file at path with CSecureFileInfo and fills the texts as the dialog does.
SecureFileProperties secureFileProperties(const std::string& path);

} // namespace yx::kvx
