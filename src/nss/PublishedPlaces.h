// Where this program has published a certificate, for the certificate pages: the ledger alone is
// read (no database is opened), and the folders it names are shown as program and profile.
#pragma once

#include "PublishLedger.h"

#include <string>
#include <vector>

namespace yx::nss {

// Labels ("Thunderbird — default") of the databases the ledger records `certId` in, in ledger order.
std::vector<std::string> publishedPlaces(const std::string& certId, const PublishLedger& ledger,
                                         const std::string& home);

} // namespace yx::nss
