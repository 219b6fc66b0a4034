// A whole decryption of arbitrary bytes taken as an encrypted file: head reading, record
// choice, key unwrapping, password check and the payload run, with a fixed test key in the
// personal store of a temporary data root. Nothing may crash, and no output may remain after a
// failed run.
#include "CertStore.h"
#include "DecryptOperation.h"
#include "EncryptionEngine.h"
#include "UserPrompt.h"
#include "kvx_fuzz_key.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <openssl/pem.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Says nothing and declines every question.
class SilentPrompt : public yx::UserPrompt {
public:
    yx::MsgAnswer message(const std::string&, const std::string&, yx::MsgIcon, yx::MsgButtons,
                          void*) override {
        return yx::MsgAnswer::Cancel;
    }
    std::optional<std::string> chooseFile(const yx::FileChooserRequest&, void*) override {
        return std::nullopt;
    }
    bool openWithDesktop(const std::string&) override { return false; }
    int runProgram(const std::vector<std::string>&, bool) override { return -1; }
};

std::string g_dir;
SilentPrompt g_prompt;

void setUp() {
    std::string tmpl = "/tmp/kvx-decrypt-fuzz-XXXXXX";
    if (!::mkdtemp(tmpl.data()))
        std::abort();
    g_dir = tmpl;
    ::setenv("YAOXIA_HOME", (g_dir + "/home").c_str(), 1);
    yx::setPrompt(&g_prompt);

    yx::BioPtr kb(BIO_new_mem_buf(kvxfuzz::kKeyPem, -1));
    yx::EvpPkeyPtr key(PEM_read_bio_PrivateKey(kb.get(), nullptr, nullptr, nullptr));
    yx::BioPtr cb(BIO_new_mem_buf(kvxfuzz::kCertPem, -1));
    yx::X509Ptr cert(PEM_read_bio_X509(cb.get(), nullptr, nullptr, nullptr));
    if (!key || !cert)
        std::abort();
    unsigned char* der = nullptr;
    const int derLen = i2d_X509(cert.get(), &der);
    std::vector<unsigned char> certDer(der, der + derLen);
    OPENSSL_free(der);
    PKCS8_PRIV_KEY_INFO* p8 = EVP_PKEY2PKCS8(key.get());
    unsigned char* p8der = nullptr;
    const int p8Len = i2d_PKCS8_PRIV_KEY_INFO(p8, &p8der);
    std::vector<unsigned char> keyDer(p8der, p8der + p8Len);
    OPENSSL_free(p8der);
    PKCS8_PRIV_KEY_INFO_free(p8);
    if (!yx::makeDiskStoreBackend("my")->add(certDer, keyDer, std::nullopt, ""))
        std::abort();
}

bool exists(const std::string& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (setUp(), true);
    (void)ready;
    const std::string source = g_dir + "/in.kvx";
    const std::string target = g_dir + "/out.bin";
    std::FILE* f = std::fopen(source.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    // The seeds' protected files use the password "pw".
    yx::kvx::DecryptHead head;
    std::string message;
    const bool headRead = yx::kvx::ReadDecryptHead(source, head, message) == 1;
    yx::kvx::DecryptRequest request;
    request.source = source;
    request.target = target;
    request.password = headRead && head.isProtected() ? "pw" : "";
    request.askToOpen = false;
    yx::kvx::DecryptJob job;
    if (yx::kvx::prepareDecrypt(request, job) != yx::kvx::kResultOk)
        return 0;
    std::atomic<int> cancel{0};
    yx::kvx::CEncryptionEngine engine(nullptr, &cancel);
    const int rc = engine.decrypt(job);
    if (rc != yx::kvx::kResultOk && exists(job.target))
        std::abort(); // a failed run leaves no output
    std::remove(job.target.c_str());
    return 0;
}
