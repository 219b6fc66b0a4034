// Bytes as an address-book text block (the first byte chooses the certificate flag): read the
// addresses, certificate lines and entries, decode the primary address's certificates, write the
// block again and read that.
#include "DigitalCertificate.h"
#include "FoxmailAddrBook.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const std::string flag = (data[0] & 1) ? "\x01" : "";
    const std::string block(reinterpret_cast<const char*>(data) + 1, size - 1);
    CFoxmailContact contact;
    contact.setText(CFoxmailContact::kCertFlag, flag);
    CFoxmailAddrBook::ParseBlock(contact, block);
    yx::OwnedCerts certs;
    contact.GetCerts(certs);
    unsigned char written = 0;
    const std::string once = CFoxmailAddrBook::BuildBlock(contact, written);

    CFoxmailContact again;
    again.setText(CFoxmailContact::kCertFlag, written ? "\x01" : "");
    CFoxmailAddrBook::ParseBlock(again, once);
    unsigned char flag2 = 0;
    (void)CFoxmailAddrBook::BuildBlock(again, flag2); // our own blocks go through the reader too
    return 0;
}
