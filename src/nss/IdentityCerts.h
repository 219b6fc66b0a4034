// Choosing the signing and encryption certificate of a Thunderbird identity: the certificate is
// published to the profile's NSS database first (a personal one with its private key, through
// CertPublisher) and its nickname there is written to the identity's prefs in prefs.js. Only while
// Thunderbird has the profile closed: it would write its own prefs.js over ours when it ends.
#pragma once

#include "CertPublisher.h"

#include <string>

class CDigitalCertificate;

namespace yx::nss {

// `sign` and `crypt` null: that certificate stays as it is. 0, kProfileInUse (nothing written),
// kNoPrefs, a code of CertPublisher::publish, or kFailed when prefs.js could not be written.
int setIdentityCerts(CertPublisher& publisher, const NssDatabase& profile, const std::string& identityId,
                     CDigitalCertificate* sign, CDigitalCertificate* crypt, std::string& detail);

// What the user is told about the outcome.
std::string identityOutcomeMessage(int rc, const NssDatabase& profile, const std::string& detail);

} // namespace yx::nss
