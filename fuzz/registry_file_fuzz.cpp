// Bytes as a registry hive file: parse, enumerate every key, write back, parse again. The second
// parse must give the same hive, and writing it again the same text.
#include "RegistryFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using yx::reg::RegistryFile;

namespace {

void walk(const RegistryFile& f, const std::string& path, int depth) {
    for (const auto& name : f.valueNames(path)) {
        if (!f.value(path, name))
            std::abort(); // an enumerated value must be readable
    }
    if (depth > 8)
        return;
    for (const auto& child : f.subkeys(path)) {
        const std::string sub = path.empty() ? child : path + "\\" + child;
        if (!f.hasKey(sub))
            std::abort();
        walk(f, sub, depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    RegistryFile first = RegistryFile::parse(text);
    walk(first, "", 0);
    const std::string written = first.serialize();
    const RegistryFile second = RegistryFile::parse(written);
    if (!(second == first))
        std::abort();
    if (second.serialize() != written)
        std::abort();

    // A change keeps everything else: the old text's hive plus the one value.
    RegistryFile changed = RegistryFile::parse(written);
    if (changed.setValue("Fuzz\\Key", "v", std::string(text.substr(0, 16)))) {
        const RegistryFile reread = RegistryFile::parse(changed.serialize());
        if (!(reread == changed) || reread.value("fuzz\\key", "V") != std::string(text.substr(0, 16)))
            std::abort();
    }
    return 0;
}
