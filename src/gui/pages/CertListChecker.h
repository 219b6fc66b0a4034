// CertListChecker: the revocation checks of a certificate list, run off the UI thread. The worker
// checks the certificates in order inside one RevocationSession (a CRL shared by many
// certificates is fetched once); the contexts are only read meanwhile. The call returns when
// every certificate is checked (the CRL check command; a list load checks on its own loader's
// worker instead), but the window goes on painting: results reach the caller as they come,
// and after a short delay a modal progress dialog shows how far the checks are. User input is
// held back until then.
#pragma once

#include "CertContext.h"

#include <QString>

#include <functional>
#include <vector>

class QWidget;

namespace yx {

class CertListChecker {
public:
    // One result: the index into the list and the status text ("有效", "已吊销", ...).
    using ResultFn = std::function<void(int index, const QString& status)>;

    // Checks every certificate (online: CRLs may be fetched). `owner` parents the progress
    // dialog. Results are delivered on the calling thread, in order.
    static void run(QWidget* owner, const std::vector<CertContextPtr>& certs, bool online,
                    const ResultFn& onResult);

    // How long a check may run before the progress dialog appears (milliseconds).
    static int progressDelayMs();
    static void setProgressDelayMs(int ms);

    // objectName of the progress dialog, so tests and scripts find it.
    static constexpr const char* kProgressName = "crlProgress";
};

} // namespace yx
