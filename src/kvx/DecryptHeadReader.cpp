#include "DecryptHeadReader.h"

#include "HeadReading.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace yx::kvx {
namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
} // namespace

int ReadDecryptHead(const std::string& path, DecryptHead& head, std::string& message) {
    head = DecryptHead{};
    message.clear();
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        message = kMsgOpenSourceFailed;
        return 0;
    }
    // A short marker stays zero-filled behind what was read and matches neither version.
    (void)std::fread(head.marker.data(), 1, kMarkerSize, f.get());
    head.version = versionOf(reinterpret_cast<const unsigned char*>(head.marker.data()));
    if (head.version == Version::V1)
        return 1;
    if (head.version != Version::V2) {
        message = kMsgFormatError;
        return 0;
    }
    if (std::fread(head.header.data(), 1, kHeaderSize, f.get()) != kHeaderSize) {
        message = kMsgReadFormatError;
        return 0;
    }
    head.protectionFlag = static_cast<char>(head.header[kHdrFlag]);
    readRecordList(f.get(), head.records, head.dataOffset);
    return 1;
}

std::string recordThumbprint(const RecordBytes& record) {
    std::string t = getText(&record[kRecThumb], kRecThumbWidth);
    t.erase(std::remove(t.begin(), t.end(), ' '), t.end());
    return t;
}

std::vector<UsableRecord> usableRecords(const DecryptHead& head,
                                        const std::function<bool(const std::string&)>& holds) {
    std::vector<UsableRecord> out;
    for (size_t i = 0; i < head.records.size(); ++i) {
        std::string thumb = recordThumbprint(head.records[i]);
        if (holds(thumb))
            out.push_back(
                {i, std::move(thumb), getText(&head.records[i][kRecDisplayName], kRecDisplayNameWidth)});
    }
    return out;
}

} // namespace yx::kvx
