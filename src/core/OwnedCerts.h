// Certificates the holder made and deletes with itself (directory results, certificates decoded
// from an address book).
#pragma once

#include "DigitalCertificate.h"

#include <memory>
#include <vector>

namespace yx {
using OwnedCerts = std::vector<std::unique_ptr<CDigitalCertificate>>;
}
