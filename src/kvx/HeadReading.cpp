#include "HeadReading.h"

namespace yx::kvx {

void readRecordList(std::FILE* f, std::vector<RecordBytes>& records, uint64_t& dataOffset) {
    dataOffset = kFirstRecordOffset;
    if (std::fseek(f, static_cast<long>(kFirstRecordOffset), SEEK_SET) != 0)
        return;
    RecordBytes block;
    while (std::fread(block.data(), 1, block.size(), f) == block.size() && hasRecordTag(block.data())) {
        records.push_back(block);
        dataOffset += kRecordSize;
    }
}

} // namespace yx::kvx
