// The certificate pages' publish and withdraw commands: a certificate into the NSS databases of
// the user's browsers and mail programs, and out again. The pages add the two entries to their
// row menus and hand the commands here.
#pragma once

#include <QString>

#include <vector>

class CDigitalCertificate;
class QMenu;
class QWidget;

namespace yx::publishcmd {

// Puts the two entries before "帮助" (at the end when there is none).
void addTo(QMenu* menu);

bool handles(int commandId);

// Runs the command for `cert` of the page `pageIndex` (personal, other people, CA): the dialog,
// then the work on each ticked database, then one message saying what happened where.
void run(int commandId, int pageIndex, CDigitalCertificate* cert, QWidget* owner);

// Where the certificate with this DER is published, for a row's tooltip ("Firefox — default、
// Thunderbird — work"); empty when nowhere. From the publication ledger only, so it costs a small
// file read and no database is opened.
QString publishedPlaces(const std::vector<unsigned char>& der);

} // namespace yx::publishcmd
