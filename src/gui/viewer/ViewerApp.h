// The viewer program: shows the certificate of the DER file named on its command line.
#pragma once

#include "CertContext.h"

#include <QStringList>
#include <string>

namespace yx::viewer {

// Reads a certificate file (DER, or PEM for convenience). Null with a message for the user when
// the file cannot be read or holds no certificate.
yx::CertContextPtr loadCertificateFile(const std::string& path, std::string& error);

// `args` as QCoreApplication::arguments(). Shows the viewer and returns 0 when it is closed; a
// missing or bad file is reported through the prompt and gives a non-zero result.
int runViewer(const QStringList& args);

} // namespace yx::viewer
