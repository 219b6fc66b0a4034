// Which store a certificate file belongs in, for files that arrive from outside (a download from
// the registration authority's site): a PFX backup goes to the personal store, a certification
// authority's certificate to the CA store, any other certificate to the other people's store.
#pragma once

#include <string>

namespace yx {

enum class CertFileKind {
    NotCertificate, // the name does not end in a certificate file extension
    Pfx,            // .pfx, .p12
    CaCertificate,  // .cer, .crt, .der holding a CA certificate (basic constraints)
    Certificate,    // .cer, .crt, .der holding any other certificate, or bytes that do not parse
};

// By the file's extension (any case), then for certificate files by their content (DER or PEM).
CertFileKind classifyCertFile(const std::string& path);

} // namespace yx
