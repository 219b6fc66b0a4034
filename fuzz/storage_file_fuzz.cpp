// Bytes as a compound file: open it, walk every storage (to a bounded depth) and read every
// stream whole.
#include "StorageFile.h"

#include <cstddef>
#include <cstdint>

namespace {

void walk(CStorageFile& f, int depth) {
    for (const std::string& name : f.ChildNames()) {
        yx::Bytes content;
        if (f.OpenStream(name, content))
            continue;
        if (depth < 8 && f.OpenStorage(name)) {
            walk(f, depth + 1);
            f.CloseStorage();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CStorageFile f;
    if (f.OpenBytes(yx::Bytes(data, data + size)))
        walk(f, 0);
    return 0;
}
