// Which store a certificate file belongs in, for files that arrive from outside (a download from
// the registration authority's site): a PFX backup goes to the personal store, a certification
// authority's certificate to the CA store, any other certificate to the other people's store.
#pragma once

#include <string>

namespace yx {

enum class CertFileKind {
    NotCertificate, // no certificate file extension, or a .pem file that holds no certificate
    Pfx,            // .pfx, .p12
    CaCertificate,  // .cer, .crt, .der, .pem holding a CA certificate (basic constraints)
    Certificate, // .cer, .crt, .der, .pem holding any other certificate; .cer, .crt, .der that do not parse
};

// By the file's extension (any case), then for certificate files by their content (DER or PEM).
CertFileKind classifyCertFile(const std::string& path);

} // namespace yx
