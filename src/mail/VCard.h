// The vCard text of the local address book: a file holds one or more cards; each card is a list
// of properties, each kept as the physical lines it was read from so that a rewrite changes only
// the certificate KEY properties. Versions 2.1, 3.0 and 4.0 are read; KEYs are written in the
// card's own version.
#pragma once

#include <string>
#include <vector>

namespace yx::vcard {

struct Property {
    std::string group;               // "item1" of "item1.EMAIL", else empty
    std::string name;                // upper case: "FN", "EMAIL", "KEY", ...
    std::vector<std::string> params; // as written ("TYPE=INTERNET", "PREF", "ENCODING=b")
    std::string value;               // unfolded, escapes kept
    std::vector<std::string> lines;  // the physical lines, without their line ends
};

struct Card {
    std::vector<Property> properties; // BEGIN and END included
    std::string version;              // "2.1", "3.0", "4.0" (empty: not given)
    std::vector<std::string> after;   // lines between its END and the next card (kept in place)
};

struct File {
    std::vector<std::string> outside; // lines before the first card (kept when rewriting)
    std::vector<Card> cards;
    std::string lineEnd = "\r\n"; // the file's own line end
};

File parse(const std::string& text);
std::string render(const File& file);

// Text values without their escapes ("\,", "\;", "\\", "\n").
std::string unescape(const std::string& value);
// The display name: FN, else the name parts of N.
std::string displayName(const Card& card);
// The preferred e-mail address: the first EMAIL marked as preferred, else the first.
std::string preferredEmail(const Card& card);

// The DER bytes of the card's X.509 certificate KEYs, in order (other KEYs are passed over).
std::vector<std::vector<unsigned char>> certificateKeys(const Card& card);
// Replaces the certificate KEYs by `ders` (in order), where the first of them stood (else before
// END); every other property keeps its lines.
void setCertificateKeys(Card& card, const std::vector<std::vector<unsigned char>>& ders);

} // namespace yx::vcard
