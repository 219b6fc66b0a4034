#include "CertFileKind.h"

#include "OpenSslHolders.h"

#include <openssl/err.h>
#include <openssl/pem.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <vector>

namespace yx {

namespace {

constexpr std::streamsize kMaxCertBytes = 1 << 20; // a certificate is a few kilobytes

std::string lowerExtension(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

X509Ptr readCertificate(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes;
    bytes.resize(static_cast<size_t>(kMaxCertBytes));
    in.read(bytes.data(), kMaxCertBytes);
    bytes.resize(static_cast<size_t>(in.gcount()));
    if (bytes.empty())
        return nullptr;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    X509Ptr cert(d2i_X509(nullptr, &p, static_cast<long>(bytes.size())));
    if (!cert) {
        BioPtr bio(BIO_new_mem_buf(bytes.data(), static_cast<int>(bytes.size())));
        if (bio)
            cert.reset(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
    }
    ERR_clear_error();
    return cert;
}

} // namespace

CertFileKind classifyCertFile(const std::string& path) {
    const std::string ext = lowerExtension(path);
    if (ext == "pfx" || ext == "p12")
        return CertFileKind::Pfx;
    const bool pem = ext == "pem";
    if (!pem && ext != "cer" && ext != "crt" && ext != "der")
        return CertFileKind::NotCertificate;
    const X509Ptr cert = readCertificate(path);
    // A ".pem" file may hold only a key or a request: it counts as a certificate only when it is one.
    if (pem && !cert)
        return CertFileKind::NotCertificate;
    // A file that does not parse still goes to a certificate page, whose import says what is wrong.
    return cert && X509_check_ca(cert.get()) > 0 ? CertFileKind::CaCertificate : CertFileKind::Certificate;
}

} // namespace yx
