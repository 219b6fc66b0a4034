// Both readers of an encrypted file's head over arbitrary bytes: the decrypt dialog's reader and
// CSecureFileInfo (with the properties texts). They must agree on the records they find.
#include "DecryptHeadReader.h"
#include "SecureFileInfo.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string scratchFile() {
    static const std::string path = [] {
        std::string tmpl = "/tmp/kvx-head-fuzz-XXXXXX";
        const int fd = ::mkstemp(tmpl.data());
        if (fd >= 0)
            ::close(fd);
        return tmpl;
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = scratchFile();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    yx::kvx::DecryptHead head;
    std::string message;
    const int dr = yx::kvx::ReadDecryptHead(path, head, message);
    CSecureFileInfo info;
    const int ir = info.Read(path);
    const auto props = yx::kvx::secureFileProperties(path);

    if (dr == 1 && head.version == yx::kvx::Version::V2) {
        if (head.records.size() != info.records().size() || head.dataOffset != info.dataOffset())
            std::abort();
        if (head.dataOffset != 664 + 1688 * head.records.size() || head.dataOffset > size + 0u)
            std::abort();
        if ((ir == 0) != !head.records.empty())
            std::abort();
        if (ir == 0 && props.recipients.size() != head.records.size())
            std::abort();
        (void)yx::kvx::usableRecords(head, [](const std::string& t) { return t.size() % 2 == 0; });
    }
    if (dr == 0 && message.empty())
        std::abort();
    return 0;
}
