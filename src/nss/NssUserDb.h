// One NSS database opened in sql: form for the length of an operation. NSS itself is initialised
// once per process without a database of its own; each database is then added as a separate
// token (SECMOD_OpenUserDB) and closed again, so several databases can be worked on in turn and
// a database another program (a running Firefox) has open stays consistent through SQLite's
// locking in NSS's shared sql mode.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct PK11SlotInfoStr;

namespace yx::nss {

using Bytes = std::vector<unsigned char>;

// Trust as NSS's certificate tools write it ("C,C," etc.): for TLS servers, e-mail, code.
struct TrustFlags {
    std::string text = ",,";
};

class UserDb {
public:
    UserDb() = default;
    ~UserDb();
    UserDb(const UserDb&) = delete;
    UserDb& operator=(const UserDb&) = delete;

    // 0, kNoDatabase (no cert9.db/key4.db: nothing is created), kLegacyDatabase, kCannotOpen.
    // `error` gets NSS's reason.
    int open(const std::string& dir, bool readOnly, std::string& error);
    bool isOpen() const { return m_slot != nullptr; }

    // Whether writes and private keys need the primary password first.
    bool needsPassword() const;
    // 0 when logged in; kWrongPassword.
    int login(const std::string& password);

    bool hasCert(const Bytes& der) const;
    // A private key matching the certificate's public key (needs login where there is a password).
    bool hasKeyFor(const Bytes& der) const;
    // The nickname the database gives the certificate (without the token's name), empty if absent.
    std::string nicknameOf(const Bytes& der) const;
    // The certificate a mail program names by `nickname`; empty when there is none.
    Bytes certByNickname(const std::string& nickname) const;
    // The certificates issued to `email` (any of their addresses, case ignored), in database order.
    std::vector<Bytes> certsForEmail(const std::string& email) const;
    // Every address of every certificate, lower case: one pass for a whole address book.
    std::vector<std::string> certAddresses() const;
    // A nickname not yet taken by a certificate of another subject in this database.
    std::string freeNickname(const Bytes& der, const std::string& wanted) const;

    // PKCS#12 import through NSS's own decoder; `password` is ASCII.
    int importPkcs12(const Bytes& pfx, const std::string& password, const std::string& nickname,
                     std::string& error);
    // The certificate alone, then its trust.
    int importCert(const Bytes& der, const std::string& nickname, const TrustFlags& trust,
                   std::string& error);
    // Deletes the certificate (and its trust); with withKey its private key too.
    int removeCert(const Bytes& der, bool withKey, std::string& error);

private:
    void close();
    // Calls `fn(der, address)` for each address of each certificate, in database order; `fn`
    // returns false to go on to the next certificate.
    void forEachAddress(const std::function<bool(const Bytes&, const char*)>& fn) const;

    PK11SlotInfoStr* m_slot = nullptr;
};

// NSS's text for its last error ("SEC_ERROR_BAD_DATABASE: ..."), for messages.
std::string lastNssError();

} // namespace yx::nss
