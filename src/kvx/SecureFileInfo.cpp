#include "SecureFileInfo.h"

#include "HeadReading.h"

#include <cstdio>
#include <memory>

using namespace yx::kvx;

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
} // namespace

int CSecureFileInfo::Read(const std::string& path) {
    Clear();
    m_path = path.substr(0, 260);
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f)
        return -1;
    if (std::fread(m_marker.data(), 1, kMarkerSize, f.get()) != kMarkerSize)
        return -1;
    if (version() == Version::V1)
        return 0;
    if (std::fread(m_header.data(), 1, kHeaderSize, f.get()) != kHeaderSize)
        return -1;
    readRecordList(f.get(), m_records, m_dataOffset);
    return m_records.empty() ? -1 : 0;
}

void CSecureFileInfo::Clear() {
    m_records.clear();
    m_records.shrink_to_fit();
    m_marker.fill(0);
    m_header.fill(0);
    m_dataOffset = 0;
    m_path.clear();
}

Version CSecureFileInfo::version() const {
    return versionOf(reinterpret_cast<const unsigned char*>(m_marker.data()));
}

namespace yx::kvx {

SecureFileProperties secureFileProperties(const std::string& path) {
    SecureFileProperties p;
    CSecureFileInfo info;
    if (info.Read(path) != 0) {
        p.fileType = "文件格式错误!";
        return p;
    }
    switch (info.version()) {
    case Version::V1:
        p.fileType = "加密文件(Version 1.0)";
        p.algorithm = "RSA-3DES";
        p.protection = "未设置密码保护";
        break;
    case Version::V2: {
        const EncFileHeader h = info.header();
        p.fileType = "加密文件(Version 2.0)";
        p.extension = h.extension;
        // "%d Byte" of the stored 32-bit value, as the signed integer it is printed as.
        p.size = std::to_string(static_cast<int32_t>(h.sourceSize)) + " Byte";
        p.algorithm = "RSA-" + h.algorithmName;
        p.protection = h.protectedFlag ? "已设置密码保护" : "未设置密码保护";
        for (const auto& r : info.records())
            p.recipients.push_back(KavexEncStruct::fromBytes(r).displayName);
        break;
    }
    case Version::None:
        break; // another marker with records: nothing is shown
    }
    return p;
}

} // namespace yx::kvx
