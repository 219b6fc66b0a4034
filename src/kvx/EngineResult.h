// The messages of an encryption or decryption run's result codes (ResultCodes.h).
#pragma once

#include "ResultCodes.h"

#include <string>

namespace yx::kvx {

// The message of a result code, "" for success, cancel and unknown codes.
std::string engineMessage(int result);

// True for the codes whose message the run shows at its end (201 to 207 and 209); the
// decryption steps show theirs where they fail.
bool isEndMessage(int result);

} // namespace yx::kvx
