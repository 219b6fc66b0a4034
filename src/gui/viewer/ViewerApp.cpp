#include "ViewerApp.h"

#include "CertViewerDialog.h"
#include "LocalPath.h"
#include "SafeFile.h"
#include "UserPrompt.h"

#include <openssl/pem.h>

namespace yx::viewer {

namespace {
constexpr size_t kMaxCertFile = 1u << 20; // far beyond any certificate
}

yx::CertContextPtr loadCertificateFile(const std::string& path, std::string& error) {
    if (!yx::isRegularFile(path)) {
        error = "找不到证书文件“" + path + "”。";
        return nullptr;
    }
    const auto bytes = yx::readWholeFile(path, kMaxCertFile);
    if (!bytes) {
        error = "无法读取证书文件“" + path + "”。";
        return nullptr;
    }
    yx::CertContextPtr ctx = yx::CertContext::fromDer(bytes->data(), bytes->size());
    if (!ctx && !bytes->empty()) {
        yx::BioPtr bio(BIO_new_mem_buf(bytes->data(), static_cast<int>(bytes->size())));
        yx::X509Ptr pem(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
        if (pem)
            ctx = yx::CertContext::fromX509(pem.get());
    }
    if (!ctx)
        error = "文件“" + path + "”不是有效的证书文件。";
    return ctx;
}

int runViewer(const QStringList& args) {
    if (args.size() != 2) {
        yx::showMessage("用法：yaoxia-viewer <证书文件>", yx::MsgIcon::Error);
        return 2;
    }
    std::string error;
    yx::CertContextPtr cert = loadCertificateFile(yx::pathBytes(args.at(1)), error);
    if (!cert) {
        yx::showMessage(error, yx::MsgIcon::Error);
        return 1;
    }
    CertViewerDialog dialog(cert);
    dialog.exec();
    return 0;
}

} // namespace yx::viewer
