// The texts the user sees for the update check's and download's result codes (ResultCodes.h).
#pragma once

#include "ResultCodes.h"

#include <string>

namespace yx::update {

// The message for a failure code (empty for kUpdateAvailable).
std::string resultMessage(int code);

} // namespace yx::update
