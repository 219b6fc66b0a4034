// The CRL distribution points a certificate names, reduced to the URLs this program can fetch.
#pragma once

#include <openssl/x509.h>

#include <string>
#include <vector>

namespace yx {

// The http:// and https:// full-name URIs of the certificate's CRL distribution points, in
// extension order, duplicates dropped. ldap://, file:// and relative names are left out: the
// program fetches CRLs over HTTP only. Empty when the extension is missing or unreadable.
std::vector<std::string> crlDistributionUrls(X509* cert);

// True for a URL whose scheme (any letter case) is http or https.
bool isFetchableCrlUrl(const std::string& url);

} // namespace yx
