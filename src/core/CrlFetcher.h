// Fetching a CRL over HTTP(S) with libcurl, and decoding the bytes a server sends.
#pragma once

#include "OpenSslHolders.h"
#include "Revocation.h"

#include <string>
#include <vector>

namespace yx {

enum class FetchStatus {
    Ok,       // the server answered 2xx; body holds what it sent
    NoAnswer, // refused, timed out, name not resolved, HTTP error status, bad redirect
    TooLarge, // the answer exceeded RevocationOptions::maxCrlBytes
};

struct FetchResult {
    FetchStatus status = FetchStatus::NoAnswer;
    std::vector<unsigned char> body;
    long httpCode = 0;
    std::string error; // curl's text, for diagnostics
};

// One GET of `url` (http or https only; redirects followed to http or https only), bounded by the
// connect and total time-outs of `options`. Never throws.
FetchResult fetchUrl(const std::string& url, const RevocationOptions& options);

// A CRL from DER bytes or PEM text ("-----BEGIN X509 CRL-----"); null for anything else,
// including DER with trailing bytes.
X509CrlPtr decodeCrl(const std::vector<unsigned char>& bytes);

} // namespace yx
