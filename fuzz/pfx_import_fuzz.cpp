// PFX files come from anywhere the user picks them. Every byte string goes through the reader
// with the two passwords the seeds use; whatever it accepts with a matching key and certificate
// must survive being written again and read back.
#include "PfxFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<unsigned char> bytes(data, data + size);
    for (const char* password : {"test", ""}) {
        yx::PfxContents pfx;
        if (yx::readPfx(bytes, password, pfx) != 0) {
            if (pfx.key || pfx.cert || !pfx.chain.empty() || pfx.friendlyName)
                std::abort(); // a refused file hands nothing out
            continue;
        }
        if (!pfx.key || !pfx.cert || X509_check_private_key(pfx.cert.get(), pfx.key.get()) != 1)
            continue;
        std::vector<X509*> chain;
        for (auto& c : pfx.chain)
            chain.push_back(c.get());
        auto again = yx::writePfx(pfx.key.get(), pfx.cert.get(), chain, pfx.friendlyName, "again");
        yx::PfxContents back;
        if (!again || yx::readPfx(*again, "again", back) != 0 ||
            X509_cmp(back.cert.get(), pfx.cert.get()) != 0 || back.chain.size() != pfx.chain.size())
            std::abort();
    }
    return 0;
}
