// yaoxia-tool nss: the NSS databases of the user's browsers and mail programs, and publishing the
// stores' certificates there. Exit status: 0, else the first failing database's result code
// (ResultCodes.h), 1 for a missing certificate, 2 for a usage error.
#include "CertPublisher.h"
#include "CertStore.h"
#include "Commands.h"
#include "DigitalCertificate.h"
#include "IdentityCerts.h"
#include "NssDatabases.h"
#include "ResultCodes.h"
#include "ThunderbirdProfiles.h"
#include "ToolArgs.h"
#include "UserPrompt.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace yx::tool {
namespace {

const char* kUsage = "nss list | nss publish my|other|ca INDEX DBDIR... [--trust-web] [--trust-email] "
                     "[--password SRC] | nss withdraw my|other|ca INDEX DBDIR... [--password SRC] | "
                     "nss where my|other|ca INDEX | nss identities | "
                     "nss set-identity my INDEX IDENTITY [--password SRC]";

const char* formatName(nss::DbFormat f) {
    switch (f) {
    case nss::DbFormat::Sql:
        return "sql";
    case nss::DbFormat::Legacy:
        return "legacy";
    case nss::DbFormat::None:
        break;
    }
    return "none";
}

struct Selection {
    std::unique_ptr<CCertStore> store;
    CDigitalCertificate* cert = nullptr;
    nss::CertKind kind = nss::CertKind::Personal;
};

// "my|other|ca INDEX": 0, or the exit status to return.
int select(const ToolArgs& args, Selection& sel) {
    const std::string& name = args.at(1);
    if (name == "my") {
        sel.store = std::make_unique<CMyCertStore>();
        sel.kind = nss::CertKind::Personal;
    } else if (name == "other") {
        sel.store = std::make_unique<COtherCertStore>();
        sel.kind = nss::CertKind::OtherPeople;
    } else if (name == "ca") {
        sel.store = std::make_unique<CCaCertStore>();
        sel.kind = nss::CertKind::Ca;
    } else {
        return usageError(kUsage);
    }
    if (sel.store->OpenCertStore() != 0) {
        std::fprintf(stderr, "yaoxia-tool: the certificate store cannot be opened\n");
        return 1;
    }
    auto index = parseIndex(args.at(2));
    if (!index || *index >= sel.store->GetCertCount()) {
        std::fprintf(stderr, "yaoxia-tool: no certificate at index %s\n", args.at(2).c_str());
        return 1;
    }
    sel.cert = sel.store->getCert(*index);
    return 0;
}

int list() {
    const nss::FoundDatabases found = nss::findNssDatabases(nss::userHome());
    for (const std::string& note : found.notes)
        std::fprintf(stderr, "yaoxia-tool: %s\n", note.c_str());
    for (const nss::NssDatabase& db : found.databases)
        std::printf("%s\t%s\t%s\t%s\n", db.program.c_str(), db.profile.c_str(), db.dir.c_str(),
                    formatName(db.format));
    std::fflush(stdout);
    return 0;
}

int where(const Selection& sel) {
    nss::CertPublisher publisher(nullptr);
    for (const nss::NssDatabase& db : nss::findNssDatabases(nss::userHome()).databases) {
        const nss::Placement p = publisher.placement(*sel.cert, db);
        if (p == nss::Placement::Published || p == nss::Placement::Preexisting)
            std::printf("%s\t%s\t%s\t%s\n", p == nss::Placement::Published ? "published" : "present",
                        db.program.c_str(), db.profile.c_str(), db.dir.c_str());
    }
    std::fflush(stdout);
    return 0;
}

// Thunderbird's identities, numbered for set-identity.
int identities() {
    int n = 0;
    for (const nss::TbIdentity& t : nss::thunderbirdIdentities(nss::userHome()))
        std::printf("%d\t%s\t%s\t%s\t%s\t%s\t%s\n", n++, t.profile.program.c_str(), t.profile.profile.c_str(),
                    t.identity.id.c_str(), t.identity.email.c_str(), t.identity.signingCert.c_str(),
                    t.identity.encryptionCert.c_str());
    std::fflush(stdout);
    return 0;
}

// The personal certificate signs for the identity, and encrypts too when it may.
int setIdentity(const ToolArgs& args, const Selection& sel) {
    const auto all = nss::thunderbirdIdentities(nss::userHome());
    const auto index = parseIndex(args.at(3));
    if (sel.kind != nss::CertKind::Personal || !index || *index >= static_cast<int>(all.size()))
        return usageError(kUsage);
    std::optional<std::string> password;
    if (args.has("password") && !(password = passwordOption(args, "password")))
        return 2;
    nss::CertPublisher publisher([password](const nss::NssDatabase&) { return password; });
    const nss::TbIdentity& t = all[static_cast<size_t>(*index)];
    std::string detail;
    const int rc = nss::setIdentityCerts(publisher, t.profile, t.identity.id, sel.cert,
                                         sel.cert->isCryptUse() ? sel.cert : nullptr, detail);
    showMessage(nss::identityOutcomeMessage(rc, t.profile, detail),
                rc ? MsgIcon::Error : MsgIcon::Information);
    return rc;
}

int publishOrWithdraw(bool publish, const ToolArgs& args, const Selection& sel) {
    std::optional<std::string> password;
    if (args.has("password")) {
        password = passwordOption(args, "password");
        if (!password)
            return 2;
    }
    nss::CertPublisher publisher([password](const nss::NssDatabase&) { return password; });
    const nss::CaTrust trust{args.has("trust-web"), args.has("trust-email")};
    const std::string home = nss::userHome();
    int first = 0;
    for (size_t i = 3; i < args.count(); ++i) {
        const nss::NssDatabase db = nss::describeDatabase(args.at(i), home);
        std::string detail;
        const int rc = publish ? publisher.publish(sel.kind, *sel.cert, trust, db, detail)
                               : publisher.withdraw(*sel.cert, db, detail);
        showMessage(nss::outcomeMessage(publish, rc, db, detail), rc ? MsgIcon::Error : MsgIcon::Information);
        if (rc && !first)
            first = rc;
    }
    return first;
}

} // namespace

int cmdNss(int argc, char** argv) {
    ToolArgs args;
    if (!args.parse(argc, argv, 1, {"trust-web", "trust-email"}) || args.count() < 1)
        return usageError(kUsage);
    const std::string& verb = args.at(0);
    if (verb == "list" || verb == "identities")
        return args.count() != 1 ? usageError(kUsage) : verb == "list" ? list() : identities();
    if (verb == "set-identity") {
        Selection sel;
        if (args.count() != 4)
            return usageError(kUsage);
        if (int rc = select(args, sel))
            return rc;
        return setIdentity(args, sel);
    }
    const bool publish = verb == "publish";
    if (!publish && verb != "withdraw" && verb != "where")
        return usageError(kUsage);
    if (verb == "where" ? args.count() != 3 : args.count() < 4)
        return usageError(kUsage);
    Selection sel;
    if (int rc = select(args, sel))
        return rc;
    return verb == "where" ? where(sel) : publishOrWithdraw(publish, args, sel);
}

} // namespace yx::tool
