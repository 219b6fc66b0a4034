// E-mail addresses as the mail step takes them from certificates: whether one is a valid
// RFC 5322 address (a bare address: local part "@" domain), and the mailto: link (RFC 6068) that
// carries the valid ones to the mail program with every character intact.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace yx {

// Why an address is not a valid bare address, in words for the user; empty when it is valid.
// Dot-atoms and quoted local parts, dot-atom domains and domain literals are taken; comments,
// folding white space and characters beyond ASCII are not.
std::string mailAddressProblem(std::string_view address);

// "mailto:" followed by the addresses separated by ",", each percent-encoded except for
// letters, digits, "-._~" and "@".
std::string mailtoLink(const std::vector<std::string>& addresses);

} // namespace yx
