// Bytes as a vCard file of the local address book: parsing ends, a rewrite reads back as the same
// contacts and settles (a second rewrite changes nothing), and replacing a card's certificates by
// themselves keeps every other line.
#include "VCard.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Contact {
    std::string name, email;
    std::vector<std::vector<unsigned char>> keys;
    bool operator==(const Contact&) const = default;
};

std::vector<Contact> contactsOf(const yx::vcard::File& file) {
    std::vector<Contact> out;
    for (const yx::vcard::Card& card : file.cards)
        out.push_back({yx::vcard::displayName(card), yx::vcard::preferredEmail(card),
                       yx::vcard::certificateKeys(card)});
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    yx::vcard::File file = yx::vcard::parse(std::string(reinterpret_cast<const char*>(data), size));
    const std::string once = yx::vcard::render(file);
    const yx::vcard::File again = yx::vcard::parse(once);
    if (contactsOf(again) != contactsOf(file))
        std::abort();
    const std::string twice = yx::vcard::render(again);
    if (yx::vcard::render(yx::vcard::parse(twice)) != twice)
        std::abort();
    for (yx::vcard::Card& card : file.cards) {
        const auto keys = yx::vcard::certificateKeys(card);
        const size_t before = card.properties.size();
        yx::vcard::setCertificateKeys(card, keys);
        // Each certificate KEY gives way to one written anew; nothing else comes or goes.
        if (card.properties.size() != before || yx::vcard::certificateKeys(card) != keys)
            std::abort();
    }
    return 0;
}
