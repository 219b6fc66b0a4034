// What the viewer shows of a certificate: every field and extension as name and value text, and
// the certificate's intended purposes, all in Chinese.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <openssl/x509.h>

class CDigitalCertificate;

namespace yx::viewer {

struct CertField {
    enum Kind { BasicField, Extension, CriticalExtension, Property };
    Kind kind = BasicField;
    QString name;
    QString value;  // full text, may span lines
    QString column; // what the list column shows when not simply the value on one line

    // The text of the list column: `column`, else the value on one line.
    QString shortValue() const;
};

// Version, serial number, algorithms, names, validity, public key, each extension, thumbprint.
QList<CertField> certificateFields(CDigitalCertificate& cert);

// What the certificate may be used for, from its extended key usage and key usage; empty when
// neither extension restricts it.
QStringList intendedPurposes(X509* cert);

// Name of an extended key usage purpose ("客户端身份验证"), or the dotted identifier.
QString purposeName(const ASN1_OBJECT* oid);

// Bytes as lower-case hex pairs separated by blanks ("3a 0f 91").
QString hexPairs(const unsigned char* data, int length);

// The attributes of a name, most specific first, one "CN = 张三" per line.
QString nameLines(const X509_NAME* name);

} // namespace yx::viewer
