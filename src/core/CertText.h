// The texts the program shows for certificate fields: X.500 names, the simple display name, the
// e-mail address, the serial number and validity dates. All text is UTF-8.
#pragma once

#include <cstddef>
#include <ctime>
#include <openssl/x509.h>
#include <string>

namespace yx {

// The name in X.500 text form: relative names in the certificate's order separated by ", ",
// values of one multi-valued relative name by " + ", short attribute names (CN, L, O, OU, C, S,
// STREET, T, G, I, SN, E, DC; others "OID.<dotted>"). Values with special characters or
// leading/trailing blanks are quoted, inner quotes doubled.
std::string x500NameText(const X509_NAME* name);

// The e-mail address: the first rfc822Name of the alternative name (subjectAltName, or
// issuerAltName for the issuer), else the first emailAddress attribute of the name; empty if none.
std::string emailNameText(X509* cert, bool issuer);

// The simple display name: the first CN, else OU, O, emailAddress, else the alternative name's
// e-mail address, else the value of the name's first attribute; empty for an empty name.
std::string simpleDisplayNameText(X509* cert, bool issuer);

// Serial number text from the DER content octets of the INTEGER (most significant first):
// lower-case hex, redundant 0xFF sign bytes dropped (while the first byte is 0xFF, the next has
// its top bit set and more than one byte remains); leading 0x00 bytes are kept.
std::string serialNumberText(const unsigned char* content, size_t length);

// DER content octets of the certificate's serial number, read from the certificate's encoding
// `der` (falls back to re-encoding the parsed value of `cert`).
bool serialContentOctets(const unsigned char* der, size_t derLength, X509* cert, std::string& content);

// A local calendar time as "yyyy-MM-dd HH:mm:ss".
std::string localTimeText(const struct tm& local);

// An ASN.1 time converted to local time text; false when it cannot be read.
bool asn1TimeLocalText(const ASN1_TIME* t, std::string& text);

// Cuts `s` to at most `maxBytes` without splitting a UTF-8 character.
void cutUtf8(std::string& s, size_t maxBytes);

} // namespace yx
