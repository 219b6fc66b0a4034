// Result codes of the update check and download, and the texts the user sees for them.
#pragma once

#include <string>

namespace yx::update {

inline constexpr int kUpdateAvailable = 0; // a newer, correctly signed version is offered
inline constexpr int kNoUpdate = 101;      // the server's version is not newer than ours
inline constexpr int kBadServer = 102;     // the server or download address is not one we accept
inline constexpr int kNoAnswer = 103;      // refused, timed out, HTTP error
inline constexpr int kRedirectRefused = 104;
inline constexpr int kTooLarge = 105;
inline constexpr int kBadSignature = 106;
inline constexpr int kBadManifest = 107;
inline constexpr int kCancelled = 108;
inline constexpr int kHashMismatch = 109;
inline constexpr int kSaveFailed = 110;

// The message for a failure code (empty for kUpdateAvailable).
std::string resultMessage(int code);

} // namespace yx::update
