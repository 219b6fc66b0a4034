// Our registry: hives of keys, subkeys and string values, one human-readable file per hive under
// the config folder. Every change is a locked read-modify-write with an atomic rename, so two
// processes writing at once both land and a crash never leaves half a file.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace yx::reg {

enum class Hive { CurrentUser };

// Key paths use "\" as separator, e.g. "Software\\KavexCorp\\岚川数字钥匣\\Common". Names compare
// without regard to ASCII letter case, as on Windows; they are kept as first written.
std::optional<std::string> readString(Hive hive, const std::string& keyPath, const std::string& valueName);
bool writeString(Hive hive, const std::string& keyPath, const std::string& valueName,
                 const std::string& value);
// Several values of one key in one write: all of them land, or none.
bool writeStrings(Hive hive, const std::string& keyPath,
                  const std::vector<std::pair<std::string, std::string>>& namesAndValues);
bool keyExists(Hive hive, const std::string& keyPath);
bool createKey(Hive hive, const std::string& keyPath);
bool deleteValue(Hive hive, const std::string& keyPath, const std::string& valueName);
bool deleteKey(Hive hive, const std::string& keyPath); // with its subkeys
// Subkey names / value names in a stable order (sorted as Windows enumerates: case-insensitive).
std::vector<std::string> subkeys(Hive hive, const std::string& keyPath);
std::vector<std::string> valueNames(Hive hive, const std::string& keyPath);

// The file that holds a hive (for tests and the README).
std::string hiveFilePath(Hive hive);

} // namespace yx::reg
