#include "Registry.h"

#include "DataPaths.h"
#include "RegistryFile.h"
#include "SafeFile.h"

#include <string_view>

namespace yx::reg {
namespace {

const char* hiveName(Hive hive) {
    switch (hive) {
    case Hive::CurrentUser:
        return "HKEY_CURRENT_USER";
    }
    return "HKEY_CURRENT_USER";
}

// A missing file is an empty hive; a file that exists but cannot be read is nullopt, so that a
// writer never replaces what it could not see.
std::optional<RegistryFile> load(const std::string& path) {
    auto bytes = readWholeFile(path);
    if (!bytes)
        return fileExists(path) ? std::nullopt : std::optional<RegistryFile>(RegistryFile{});
    return RegistryFile::parse(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

RegistryFile loadForReading(Hive hive) {
    return load(hiveFilePath(hive)).value_or(RegistryFile{});
}

// One locked read-modify-write cycle. `change` returns false when there is nothing to do or the
// request is invalid; then the file is left alone.
template <class Change> bool modify(Hive hive, Change&& change) {
    const std::string path = hiveFilePath(hive);
    if (!paths::ensureDir(paths::configDir()))
        return false;
    FileLock lock(path + ".lock");
    if (!lock.locked())
        return false;
    auto doc = load(path);
    if (!doc)
        return false;
    const std::string before = doc->serialize();
    if (!change(*doc))
        return false;
    const std::string after = doc->serialize();
    if (after == before && fileExists(path))
        return true;
    return atomicWriteFile(path, after, 0600);
}

} // namespace

std::string hiveFilePath(Hive hive) {
    return paths::configDir() + "/" + hiveName(hive) + ".reg";
}

std::optional<std::string> readString(Hive hive, const std::string& keyPath, const std::string& valueName) {
    return loadForReading(hive).value(keyPath, valueName);
}

bool writeString(Hive hive, const std::string& keyPath, const std::string& valueName,
                 const std::string& value) {
    return modify(hive, [&](RegistryFile& f) { return f.setValue(keyPath, valueName, value); });
}

bool writeStrings(Hive hive, const std::string& keyPath,
                  const std::vector<std::pair<std::string, std::string>>& namesAndValues) {
    return modify(hive, [&](RegistryFile& f) {
        for (const auto& [name, value] : namesAndValues)
            if (!f.setValue(keyPath, name, value))
                return false;
        return true;
    });
}

bool keyExists(Hive hive, const std::string& keyPath) {
    return loadForReading(hive).hasKey(keyPath);
}

bool createKey(Hive hive, const std::string& keyPath) {
    return modify(hive, [&](RegistryFile& f) { return f.createKey(keyPath); });
}

bool deleteValue(Hive hive, const std::string& keyPath, const std::string& valueName) {
    return modify(hive, [&](RegistryFile& f) { return f.removeValue(keyPath, valueName); });
}

bool deleteKey(Hive hive, const std::string& keyPath) {
    return modify(hive, [&](RegistryFile& f) { return f.removeKey(keyPath); });
}

std::vector<std::string> subkeys(Hive hive, const std::string& keyPath) {
    return loadForReading(hive).subkeys(keyPath);
}

std::vector<std::string> valueNames(Hive hive, const std::string& keyPath) {
    return loadForReading(hive).valueNames(keyPath);
}

} // namespace yx::reg
