// Base64 without line breaks, and the thumbprint text form.
#pragma once

#include <string>

// Writes the text and a NUL to `text`; textLength receives the text length (without NUL).
// `textLength` gives the capacity of `text` on entry; returns 0, or -1 when it does not fit.
int base64encoding(const unsigned char* data, int length, char* text, int* textLength);
// Decodes NUL-terminated text; `length` gives the capacity of `bytes` on entry and receives the
// decoded size. Whitespace is ignored. Returns 0, or -1 for bad text or too little room.
int base64decoding(const char* text, unsigned char* bytes, int* length);
// Lower-case hexadecimal in pairs separated by single blanks ("0a 1b 2c"), NUL-terminated;
// `text` must hold 3 * length bytes.
int BinToThumb(const char* bytes, int length, char* text);

namespace yx {
std::string thumbText(const unsigned char* sha1, int length); // BinToThumb as a string
std::string stripSpaces(const std::string& s);                // readers of stored thumbprints
} // namespace yx
