// Bytes as a vCard file of the local address book: parsing ends, a rewrite reads back as the same
// contacts and settles (a second rewrite changes nothing), a file with one kind of line end and a
// last line end is rewritten byte for byte, and replacing a card's certificates by
// themselves keeps every other line.
#include "VCard.h"

#include <algorithm>
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
    const std::string text(reinterpret_cast<const char*>(data), size);
    const size_t crlf = [&] {
        size_t n = 0;
        for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
            ++n;
        return n;
    }();
    const size_t lf = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    if (!text.empty() && text.back() == '\n' && (crlf == 0 || crlf == lf) && once != text)
        std::abort();
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
