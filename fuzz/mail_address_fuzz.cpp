// Bytes as a certificate's e-mail address: the check must not crash, and the mailto: link made
// of a valid address must hold only characters that mean nothing in a link but "@" and ",".
#include "MailAddress.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string address(reinterpret_cast<const char*>(data), size);
    if (!yx::mailAddressProblem(address).empty())
        return 0;
    if (address.find('@') == std::string::npos)
        std::abort(); // a valid address has its "@"
    const std::string link = yx::mailtoLink({address, address});
    for (size_t i = 7; i < link.size(); ++i) {
        const char c = link[i];
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '.' || c == '_' || c == '~' || c == '@' || c == '%' || c == ',';
        if (!plain)
            std::abort();
    }
    return 0;
}
