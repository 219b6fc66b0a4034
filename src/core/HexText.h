// Bytes as hexadecimal text and back, for thumbprints, file names, digests and escapes.
#pragma once

#include <cstddef>
#include <string>

namespace yx {

// Lower-case hexadecimal, two digits a byte, nothing between them.
std::string hexText(const unsigned char* data, size_t size);

// The value of one hexadecimal digit (either case), -1 for any other character.
int hexDigit(char c);

} // namespace yx
