// The encrypted file (".kvx"): a 16-byte marker naming the version, for version 2 a 648-byte
// header, 1688-byte recipient records, then the payload. Integers are little-endian 32-bit; text
// fields hold GBK, NUL-terminated in a zero-filled fixed-width field, so that files move between
// this system and Windows builds byte for byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace yx::kvx {

inline constexpr std::string_view kMarkerV1 = "KavexFileType=1;";
inline constexpr std::string_view kMarkerV2 = "KavexFileType=2;";
inline constexpr size_t kMarkerSize = 16;
inline constexpr size_t kMarkerArea = 512; // readers keep the marker in a zeroed area this large

inline constexpr size_t kHeaderOffset = 16;
inline constexpr size_t kHeaderSize = 648;
inline constexpr size_t kFirstRecordOffset = kHeaderOffset + kHeaderSize; // 664
inline constexpr size_t kRecordSize = 1688;

// Header fields (offset, width).
inline constexpr size_t kHdrFlag = 0;
inline constexpr size_t kHdrExt = 1, kHdrExtWidth = 259;
inline constexpr size_t kHdrSize = 260;
inline constexpr size_t kHdrProvider = 264, kHdrProviderWidth = 256;
inline constexpr size_t kHdrAlg = 520, kHdrAlgWidth = 128;

// Record fields (offset, width).
inline constexpr size_t kRecTag = 0, kRecTagWidth = 20;
inline constexpr size_t kRecDisplayName = 20, kRecDisplayNameWidth = 256;
inline constexpr size_t kRecSubject = 276, kRecSubjectWidth = 512;
inline constexpr size_t kRecSerial = 788, kRecSerialWidth = 128;
inline constexpr size_t kRecThumb = 916, kRecThumbWidth = 256;
inline constexpr size_t kRecBlobLen = 1172;
inline constexpr size_t kRecBlob = 1176, kRecBlobWidth = 512;

inline constexpr std::string_view kRecordTag = "KavexEncStruct"; // 14 bytes compared by readers
inline constexpr std::string_view kProviderName = "Microsoft Enhanced Cryptographic Provider v1.0";
inline constexpr std::string_view kAlgorithmName = "3DES";

using HeaderBytes = std::array<unsigned char, kHeaderSize>;
using RecordBytes = std::array<unsigned char, kRecordSize>;

enum class Version { None, V1, V2 };
// The version a marker names; anything but the two exact markers is None.
Version versionOf(const unsigned char* marker16);

// Little-endian 32-bit integers.
uint32_t getLe32(const unsigned char* p);
void putLe32(unsigned char* p, uint32_t v);

// Writes UTF-8 `text` as GBK into a zeroed field of `width` bytes, cut on a character boundary
// so the text and its terminator fit.
void putText(unsigned char* field, size_t width, std::string_view utf8);
// Reads a field up to its terminator (or its width) and returns it as UTF-8.
std::string getText(const unsigned char* field, size_t width);

// EncFileHeader.
struct EncFileHeader {
    bool protectedFlag = false; // '1' on disk when a protection password was set, else '0'
    std::string extension;      // UTF-8, with its leading dot, or empty
    uint32_t sourceSize = 0;    // low 32 bits of the source file's size
    std::string providerName = std::string(kProviderName);
    std::string algorithmName = std::string(kAlgorithmName);

    HeaderBytes toBytes() const;
    static EncFileHeader fromBytes(const HeaderBytes& b);
};

// KavexEncStruct, one recipient record.
struct KavexEncStruct {
    std::string displayName; // UTF-8
    std::string subjectName; // UTF-8
    std::string serialNumber;
    std::string thumbprint;
    std::vector<unsigned char> keyBlob; // SIMPLEBLOB, at most kRecBlobWidth bytes

    // False when the blob does not fit the record.
    bool toBytes(RecordBytes& out) const;
    static KavexEncStruct fromBytes(const RecordBytes& b);
};

// True when the record block starts with the 14-byte tag.
bool hasRecordTag(const unsigned char* record);

// The marker bytes of a version 2 file.
std::array<unsigned char, kMarkerSize> markerV2Bytes();

} // namespace yx::kvx
