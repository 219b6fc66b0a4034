// Bytes as Foxmail's account list stream, and as an account file's text: read the records, look
// keys up, patch the signing hash. Every name and folder must come from inside the data.
#include "FoxmailAccountList.h"
#include "FoxmailEmailAcc.h"
#include "FoxmailText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFoxmailAccountList list;
    list.Parse(yx::Bytes(data, data + size));
    if (list.Names().size() != list.Folders().size() || list.Names().size() > 127)
        std::abort();
    size_t total = 0;
    for (int i = 0; i < list.GetCount(); ++i)
        total += list.Names()[static_cast<size_t>(i)].size() + list.Folders()[static_cast<size_t>(i)].size();
    if (total > size * 3) // GBK to UTF-8 grows a text by half at most
        std::abort();

    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const char* key : {"MailAddress", "SignCertHash", "SMTPHost", "="})
        if (GetKeyValue(text, key).size() > 1023)
            std::abort();
    std::string patched = text;
    if (CFoxmailEmailAcc::PatchSignCertHash(patched, "ABCD EF01") &&
        patched.find("SignCertHash=ABCD EF01\r\n") == std::string::npos)
        std::abort();
    return 0;
}
