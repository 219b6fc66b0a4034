#include "CertText.h"

#include "DerBytes.h"
#include "HexText.h"
#include "OpenSslHolders.h"

#include <cstdio>
#include <openssl/asn1.h>
#include <openssl/objects.h>
#include <openssl/x509v3.h>

namespace yx {
namespace {

const char* shortName(int nid) {
    switch (nid) {
    case NID_commonName:
        return "CN";
    case NID_localityName:
        return "L";
    case NID_organizationName:
        return "O";
    case NID_organizationalUnitName:
        return "OU";
    case NID_countryName:
        return "C";
    case NID_stateOrProvinceName:
        return "S";
    case NID_streetAddress:
        return "STREET";
    case NID_title:
        return "T";
    case NID_givenName:
        return "G";
    case NID_initials:
        return "I";
    case NID_surname:
        return "SN";
    case NID_pkcs9_emailAddress:
        return "E";
    case NID_domainComponent:
        return "DC";
    default:
        return nullptr;
    }
}

std::string oidText(const ASN1_OBJECT* obj) {
    char small[128];
    const int n = OBJ_obj2txt(small, sizeof small, obj, 1);
    if (n < 0)
        return std::string();
    if (static_cast<size_t>(n) < sizeof small)
        return std::string(small, static_cast<size_t>(n));
    std::string big(static_cast<size_t>(n) + 1, '\0');
    OBJ_obj2txt(big.data(), n + 1, obj, 1);
    big.resize(static_cast<size_t>(n));
    return big;
}

// Like a C string: the text ends at an embedded NUL.
std::string untilNul(const unsigned char* p, size_t n) {
    size_t len = 0;
    while (len < n && p[len] != 0)
        ++len;
    return std::string(reinterpret_cast<const char*>(p), len);
}

// Value of a name attribute as UTF-8; values that are no text show as '#' and their hex bytes.
std::string valueText(const ASN1_STRING* data) {
    if (!data)
        return std::string();
    unsigned char* utf8 = nullptr;
    const int n = ASN1_STRING_to_UTF8(&utf8, data);
    if (n >= 0) {
        std::string out = untilNul(utf8, static_cast<size_t>(n));
        OPENSSL_free(utf8);
        return out;
    }
    // Appended, not "#" + text: that operator+ makes GCC 12 warn falsely (-Wrestrict, GCC bug 105651).
    std::string out = "#";
    out += hexText(ASN1_STRING_get0_data(data), static_cast<size_t>(ASN1_STRING_length(data)));
    return out;
}

bool needsQuotes(const std::string& v) {
    if (v.empty())
        return false;
    if (v.front() == ' ' || v.back() == ' ')
        return true;
    for (char c : v)
        switch (c) {
        case ',':
        case '+':
        case '=':
        case '"':
        case '\n':
        case '\r':
        case '<':
        case '>':
        case '#':
        case ';':
            return true;
        default:
            break;
        }
    return false;
}

std::string quoted(const std::string& v) {
    if (!needsQuotes(v))
        return v;
    std::string out = "\"";
    for (char c : v) {
        out += c;
        if (c == '"')
            out += '"';
    }
    out += '"';
    return out;
}

// First value of attribute `nid` in the name, or nullopt-like empty with found=false.
bool findAttribute(const X509_NAME* name, int nid, std::string& value) {
    if (!name)
        return false;
    const int idx = X509_NAME_get_index_by_NID(name, nid, -1);
    if (idx < 0)
        return false;
    value = valueText(X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, idx)));
    return true;
}

// First rfc822Name of the certificate's subject or issuer alternative name.
bool altNameEmail(X509* cert, bool issuer, std::string& value) {
    const int idx = X509_get_ext_by_NID(cert, issuer ? NID_issuer_alt_name : NID_subject_alt_name, -1);
    if (idx < 0)
        return false;
    GeneralNamesPtr names(static_cast<GENERAL_NAMES*>(X509V3_EXT_d2i(X509_get_ext(cert, idx))));
    if (!names)
        return false;
    for (int i = 0; i < sk_GENERAL_NAME_num(names.get()); ++i) {
        const GENERAL_NAME* gn = sk_GENERAL_NAME_value(names.get(), i);
        if (gn->type == GEN_EMAIL && gn->d.rfc822Name) {
            value = untilNul(ASN1_STRING_get0_data(gn->d.rfc822Name),
                             static_cast<size_t>(ASN1_STRING_length(gn->d.rfc822Name)));
            return true;
        }
    }
    return false;
}

const X509_NAME* nameOf(X509* cert, bool issuer) {
    return issuer ? X509_get_issuer_name(cert) : X509_get_subject_name(cert);
}

// Reads one DER header at p (bounded by end); on success p points at the content.
bool derHeader(const unsigned char*& p, const unsigned char* end, int& tag, int& xclass, bool& constructed,
               long& length) {
    if (p >= end)
        return false;
    const unsigned char* q = p;
    const int r = ASN1_get_object(&q, &length, &tag, &xclass, end - p);
    if (r & 0x80)
        return false;
    constructed = (r & V_ASN1_CONSTRUCTED) != 0;
    if (length < 0 || length > end - q)
        return false;
    p = q;
    return true;
}

} // namespace

std::string x500NameText(const X509_NAME* name) {
    std::string out;
    if (!name)
        return out;
    int lastSet = -1;
    const int count = X509_NAME_entry_count(name);
    for (int i = 0; i < count; ++i) {
        const X509_NAME_ENTRY* e = X509_NAME_get_entry(name, i);
        const int set = X509_NAME_ENTRY_set(e);
        if (i > 0)
            out += set == lastSet ? " + " : ", ";
        lastSet = set;
        const ASN1_OBJECT* obj = X509_NAME_ENTRY_get_object(e);
        if (const char* sn = shortName(OBJ_obj2nid(obj)))
            out += sn;
        else
            (out += "OID.") += oidText(obj);
        out += '=';
        out += quoted(valueText(X509_NAME_ENTRY_get_data(e)));
    }
    return out;
}

std::string emailNameText(X509* cert, bool issuer) {
    std::string value;
    if (!cert)
        return value;
    if (altNameEmail(cert, issuer, value))
        return value;
    if (findAttribute(nameOf(cert, issuer), NID_pkcs9_emailAddress, value))
        return value;
    return std::string();
}

std::string simpleDisplayNameText(X509* cert, bool issuer) {
    std::string value;
    if (!cert)
        return value;
    const X509_NAME* name = nameOf(cert, issuer);
    for (int nid : {NID_commonName, NID_organizationalUnitName, NID_organizationName, NID_pkcs9_emailAddress})
        if (findAttribute(name, nid, value))
            return value;
    if (altNameEmail(cert, issuer, value))
        return value;
    if (name && X509_NAME_entry_count(name) > 0)
        return valueText(X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, 0)));
    return std::string();
}

std::string serialNumberText(const unsigned char* content, size_t length) {
    size_t start = 0;
    while (length - start > 1 && content[start] == 0xFF && (content[start + 1] & 0x80) != 0)
        ++start;
    return hexText(content + start, length - start);
}

bool serialContentOctets(const unsigned char* der, size_t derLength, X509* cert, std::string& content) {
    // Certificate ::= SEQUENCE { tbsCertificate SEQUENCE { [0] version OPTIONAL, serialNumber INTEGER ...
    if (der && derLength > 0) {
        const unsigned char* p = der;
        const unsigned char* end = der + derLength;
        int tag = 0, xclass = 0;
        bool cons = false;
        long len = 0;
        if (derHeader(p, end, tag, xclass, cons, len) && tag == V_ASN1_SEQUENCE && cons) {
            end = p + len;
            if (derHeader(p, end, tag, xclass, cons, len) && tag == V_ASN1_SEQUENCE && cons) {
                end = p + len;
                const unsigned char* q = p;
                if (derHeader(q, end, tag, xclass, cons, len) && xclass == V_ASN1_CONTEXT_SPECIFIC &&
                    tag == 0) {
                    p = q + len; // skip the version
                }
                if (derHeader(p, end, tag, xclass, cons, len) && xclass == V_ASN1_UNIVERSAL &&
                    tag == V_ASN1_INTEGER && !cons && len > 0) {
                    content.assign(reinterpret_cast<const char*>(p), static_cast<size_t>(len));
                    return true;
                }
            }
        }
    }
    if (!cert)
        return false;
    // Re-encode the parsed value and take the content octets behind the header.
    const auto enc = toDer<i2d_ASN1_INTEGER>(X509_get0_serialNumber(cert));
    if (enc.empty())
        return false;
    const unsigned char* p = enc.data();
    int tag = 0, xclass = 0;
    bool cons = false;
    long len = 0;
    const bool ok = derHeader(p, enc.data() + enc.size(), tag, xclass, cons, len) && len > 0;
    if (ok)
        content.assign(reinterpret_cast<const char*>(p), static_cast<size_t>(len));
    return ok;
}

std::string localTimeText(const struct tm& local) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return buf;
}

bool asn1TimeLocalText(const ASN1_TIME* t, std::string& text) {
    struct tm utc {};
    if (!t || ASN1_TIME_to_tm(t, &utc) != 1)
        return false;
    const time_t when = ::timegm(&utc);
    struct tm local {};
    if (!::localtime_r(&when, &local))
        return false;
    text = localTimeText(local);
    return true;
}

void cutUtf8(std::string& s, size_t maxBytes) {
    if (s.size() <= maxBytes)
        return;
    size_t pos = maxBytes;
    while (pos > 0 && (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80)
        --pos;
    s.resize(pos);
}

} // namespace yx
