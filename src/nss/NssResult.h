// Result codes of the NSS layer (beside the store codes of ResultCodes.h, which it reuses for a
// wrong password and a missing private key).
#pragma once

#include "ResultCodes.h"

namespace yx::nss {
inline constexpr int kOk = rc::kOk;
inline constexpr int kFailed = rc::kFailed;               // NSS refused the operation
inline constexpr int kWrongPassword = rc::kWrongPassword; // the database's primary password
inline constexpr int kNoPrivateKey = rc::kNoPrivateKey;   // a personal certificate without its key
inline constexpr int kLegacyDatabase = 30;                // only cert8.db: left alone
inline constexpr int kNoDatabase = 31;                    // folder gone, or it holds no database
inline constexpr int kCannotOpen = 32;                    // damaged, locked or unreadable
inline constexpr int kAlreadyPresent = 33;                // publish: the database had it already
inline constexpr int kNotPublishedHere = 34;              // withdraw: not there, or not put there by us
inline constexpr int kCancelled = 35;                     // the password question was cancelled
inline constexpr int kProfileInUse = 36;                  // the mail program has the profile open
inline constexpr int kNoPrefs = 37;                       // the profile's prefs.js cannot be read
} // namespace yx::nss
