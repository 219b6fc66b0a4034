#include "ToolMain.h"

#include "Commands.h"
#include "SystemError.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

namespace yx::tool {
namespace {

// Commands whose code has not landed yet are left out of this table.
const Command kCommands[] = {
    {"list", cmdList, "my|other|ca [--online]"},
    {"import-pfx", cmdImportPfx, "FILE [--csp NAME] [--password SRC]"},
    {"export-pfx", cmdExportPfx, "INDEX FILE [--password SRC]"},
    {"import-cert", cmdImportCert, "other|ca FILE"},
    {"export-cert", cmdExportCert, "my|other|ca INDEX FILE"},
    {"remove", cmdRemove, "my|other INDEX"},
    {"rename", cmdRename, "my|other|ca INDEX NAME"},
    {"crl-check", cmdCrlCheck, "my|other INDEX"},
    {"pfx-passwd", cmdPfxPasswd, "SOURCE TARGET [--password SRC] [--new-password SRC]"},
    {"settings", cmdSettings, "get SECTION ENTRY | set SECTION ENTRY VALUE"},
    {"ldap-search", cmdLdapSearch, "A|B|all [--name TEXT] [--email TEXT] [--import]"},
    {"encrypt", cmdEncrypt,
     "SOURCE TARGET | SOURCE... FOLDER [--to THUMBPRINT]... [--password SRC] [--delete-source]"},
    {"decrypt", cmdDecrypt, "SOURCE TARGET | SOURCE... FOLDER [--cert THUMBPRINT] [--password SRC]"},
    {"info", cmdInfo, "FILE"},
    {"set-default-cert", cmdSetDefaultCert, "THUMBPRINT"},
    {"mail", cmdMail, "accounts|contacts|batch|set-sign-cert|set-contact-certs oe|foxmail [ARGS]"},
    {"update-check", cmdUpdateCheck, ""},
    {"nss", cmdNss,
     "list | publish my|other|ca INDEX DBDIR... [--trust-web] [--trust-email] [--password SRC] | "
     "withdraw my|other|ca INDEX DBDIR... [--password SRC] | where my|other|ca INDEX | identities | "
     "set-identity my INDEX IDENTITY [--password SRC]"},
};

void usage(FILE* out) {
    std::fprintf(out, "usage: yaoxia-tool COMMAND [ARGS]\n\ncommands:\n");
    for (const auto& c : kCommands)
        if (c.run)
            std::fprintf(out, "  %s%s%s\n", c.name, *c.usage ? " " : "", c.usage);
    std::fprintf(out, "\npasswords: --password pass:TEXT | env:VAR | file:PATH | stdin\n"
                      "data root: $YAOXIA_HOME (else the XDG folders)\n");
}

} // namespace

int run(int argc, char** argv) {
    if (argc < 2) {
        usage(stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
        usage(stdout);
        return 0;
    }
    for (const auto& c : kCommands)
        if (c.run && std::strcmp(c.name, argv[1]) == 0) {
            const int rc = c.run(argc - 1, argv + 1);
            // A failure on the file system: the fixed message was printed, the system says why.
            if (const std::string reason = takeSystemError(); rc != 0 && !reason.empty())
                std::fprintf(stderr, "yaoxia-tool: %s\n", reason.c_str());
            return rc;
        }
    std::fprintf(stderr, "yaoxia-tool: unknown command \"%s\"\n", argv[1]);
    usage(stderr);
    return 2;
}

} // namespace yx::tool
