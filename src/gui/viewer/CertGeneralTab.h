// The viewer's "常规" tab: status, intended purposes, holder, issuer, validity, e-mail, private key.
#pragma once

#include "CertChain.h"

#include <QWidget>

class CDigitalCertificate;

namespace yx::viewer {

class CertGeneralTab : public QWidget {
    Q_OBJECT
public:
    CertGeneralTab(CDigitalCertificate& cert, const yx::CertChain& chain, bool hasPrivateKey,
                   QWidget* parent = nullptr);

    // The status line for the certificate (also used by the tests).
    static QString statusText(CDigitalCertificate& cert, const yx::CertChain& chain, int* severity = nullptr);
};

} // namespace yx::viewer
