#include "KvxFormat.h"

#include "GbkText.h"

#include <algorithm>
#include <cstring>

namespace yx::kvx {
namespace {

// Length of the longest prefix of GBK `s` of at most `max` bytes that ends on a character
// boundary (a lead byte 0x81..0xFE starts a two-byte character).
size_t gbkPrefix(std::string_view s, size_t max) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t len = (c >= 0x81 && c <= 0xFE && i + 1 < s.size()) ? 2 : 1;
        if (i + len > max)
            break;
        i += len;
    }
    return i;
}

} // namespace

Version versionOf(const unsigned char* marker16) {
    if (std::memcmp(marker16, kMarkerV1.data(), kMarkerSize) == 0)
        return Version::V1;
    if (std::memcmp(marker16, kMarkerV2.data(), kMarkerSize) == 0)
        return Version::V2;
    return Version::None;
}

uint32_t getLe32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void putLe32(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

void putText(unsigned char* field, size_t width, std::string_view utf8) {
    std::memset(field, 0, width);
    if (width == 0)
        return;
    const std::string gbk = utf8ToGbkLossy(utf8);
    const size_t n = gbkPrefix(gbk, width - 1);
    std::memcpy(field, gbk.data(), n);
}

std::string getText(const unsigned char* field, size_t width) {
    const auto* end = std::find(field, field + width, 0);
    return gbkToUtf8Lossy(
        std::string_view(reinterpret_cast<const char*>(field), static_cast<size_t>(end - field)));
}

HeaderBytes EncFileHeader::toBytes() const {
    HeaderBytes b{};
    b[kHdrFlag] = protectedFlag ? '1' : '0';
    putText(&b[kHdrExt], kHdrExtWidth, extension);
    putLe32(&b[kHdrSize], sourceSize);
    putText(&b[kHdrProvider], kHdrProviderWidth, providerName);
    putText(&b[kHdrAlg], kHdrAlgWidth, algorithmName);
    return b;
}

EncFileHeader EncFileHeader::fromBytes(const HeaderBytes& b) {
    EncFileHeader h;
    h.protectedFlag = b[kHdrFlag] == '1';
    h.extension = getText(&b[kHdrExt], kHdrExtWidth);
    h.sourceSize = getLe32(&b[kHdrSize]);
    h.providerName = getText(&b[kHdrProvider], kHdrProviderWidth);
    h.algorithmName = getText(&b[kHdrAlg], kHdrAlgWidth);
    return h;
}

bool KavexEncStruct::toBytes(RecordBytes& out) const {
    out.fill(0);
    if (keyBlob.size() > kRecBlobWidth)
        return false;
    std::memcpy(&out[kRecTag], kRecordTag.data(), kRecordTag.size());
    putText(&out[kRecDisplayName], kRecDisplayNameWidth, displayName);
    putText(&out[kRecSubject], kRecSubjectWidth, subjectName);
    putText(&out[kRecSerial], kRecSerialWidth, serialNumber);
    putText(&out[kRecThumb], kRecThumbWidth, thumbprint);
    putLe32(&out[kRecBlobLen], static_cast<uint32_t>(keyBlob.size()));
    if (!keyBlob.empty())
        std::memcpy(&out[kRecBlob], keyBlob.data(), keyBlob.size());
    return true;
}

KavexEncStruct KavexEncStruct::fromBytes(const RecordBytes& b) {
    KavexEncStruct r;
    r.displayName = getText(&b[kRecDisplayName], kRecDisplayNameWidth);
    r.subjectName = getText(&b[kRecSubject], kRecSubjectWidth);
    r.serialNumber = getText(&b[kRecSerial], kRecSerialWidth);
    r.thumbprint = getText(&b[kRecThumb], kRecThumbWidth);
    // A damaged length is clamped to the field; the key import then refuses the blob.
    const uint32_t len = std::min<uint32_t>(getLe32(&b[kRecBlobLen]), kRecBlobWidth);
    r.keyBlob.assign(&b[kRecBlob], &b[kRecBlob] + len);
    return r;
}

bool hasRecordTag(const unsigned char* record) {
    return std::memcmp(record, kRecordTag.data(), kRecordTag.size()) == 0;
}

std::array<unsigned char, kMarkerSize> markerV2Bytes() {
    std::array<unsigned char, kMarkerSize> m{};
    std::memcpy(m.data(), kMarkerV2.data(), kMarkerSize);
    return m;
}

} // namespace yx::kvx
