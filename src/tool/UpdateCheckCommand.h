// yaoxia-tool update-check with the key and limits given, so tests can sign with their own key.
#pragma once

#include "UpdateCommon.h"

namespace yx::tool {

// Prints the newer version and returns 0, returns 101 when there is none, otherwise the failure
// code after its message on stderr.
int runUpdateCheck(int argc, char** argv, const update::PublicKey& key, const update::UpdateOptions& options);

} // namespace yx::tool
