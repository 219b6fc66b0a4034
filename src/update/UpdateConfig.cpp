#include "UpdateConfig.h"

namespace yx::update {

const char* Config::valueName(Field field) {
    static constexpr const char* kNames[FieldCount] = {"StartUpCheckNew", "CurrentOperation", "Server",
                                                       "LastCheck",       "LastResult",       "LatestVersion",
                                                       "LastDownload"};
    return field < FieldCount ? kNames[field] : "";
}

} // namespace yx::update
