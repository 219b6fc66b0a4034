// Publishing the stores' certificates into NSS databases and withdrawing them again:
//   personal      certificate with its private key, through NSS's PKCS#12 import
//   other people  certificate with e-mail trust (so a mail program can encrypt to its holder)
//   CA            certificate with the trust the user chose (web sites, e-mail), none by default
// The nickname is the friendly name, else the display name. Withdrawing removes only what a
// publication recorded in the ledger added. A database with a primary password asks for it
// through `askPassword`; a wrong one changes nothing.
#pragma once

#include "NssDatabases.h"
#include "PublishLedger.h"

#include <functional>
#include <optional>
#include <string>

class CDigitalCertificate;

namespace yx::nss {

enum class CertKind { Personal, OtherPeople, Ca };

struct CaTrust {
    bool web = false;
    bool email = false;
};

// The password of `db`, or nullopt when the user declined.
using PasswordAsker = std::function<std::optional<std::string>(const NssDatabase& db)>;

// Asks through the program's prompt.
PasswordAsker promptPasswordAsker(void* owner = nullptr);

enum class Placement {
    Absent,      // the database does not hold it
    Published,   // put there by this program (can be withdrawn)
    Preexisting, // there already, not by this program
    Unreadable,  // legacy, gone, damaged or locked
};

class CertPublisher {
public:
    explicit CertPublisher(PasswordAsker askPassword, PublishLedger ledger = PublishLedger());

    // 0 or a code of ResultCodes.h; `detail` gets NSS's reason where there is one.
    int publish(CertKind kind, CDigitalCertificate& cert, const CaTrust& trust, const NssDatabase& db,
                std::string& detail);
    int withdraw(CDigitalCertificate& cert, const NssDatabase& db, std::string& detail);
    Placement placement(CDigitalCertificate& cert, const NssDatabase& db) const;

private:
    int unlock(class UserDb& nssDb, const NssDatabase& db);

    PasswordAsker m_askPassword;
    PublishLedger m_ledger;
};

// What the user is told about one database's outcome.
std::string outcomeMessage(bool publish, int rc, const NssDatabase& db, const std::string& detail);

// A placement as a short word for lists ("已发布", ...).
const char* placementText(Placement p);

} // namespace yx::nss
