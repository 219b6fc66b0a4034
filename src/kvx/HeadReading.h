// The record list of a version 2 head, shared by both head readers.
#pragma once

#include "KvxFormat.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace yx::kvx {

// From offset 664 on, reads 1688-byte blocks while each is complete and starts with the tag;
// the first short or untagged block ends the list and is not kept. dataOffset becomes the
// position behind the last record (664 when there is none).
void readRecordList(std::FILE* f, std::vector<RecordBytes>& records, uint64_t& dataOffset);

} // namespace yx::kvx
