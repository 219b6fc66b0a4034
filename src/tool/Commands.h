// The subcommands of yaoxia-tool. Each takes the arguments after its name and returns the
// operation's result code (the process exit status); messages go to stderr.
#pragma once

namespace yx::tool {

struct Command {
    const char* name;
    int (*run)(int argc, char** argv); // argv[0] is the subcommand's name
    const char* usage;
};

// Certificate stores and PFX files.
int cmdList(int argc, char** argv);
int cmdImportPfx(int argc, char** argv);
int cmdExportPfx(int argc, char** argv);
int cmdImportCert(int argc, char** argv);
int cmdExportCert(int argc, char** argv);
int cmdRemove(int argc, char** argv);
int cmdRename(int argc, char** argv);
int cmdCrlCheck(int argc, char** argv);
int cmdPfxPasswd(int argc, char** argv);
// Settings.
int cmdSettings(int argc, char** argv);
// Encrypted files.
int cmdEncrypt(int argc, char** argv);
int cmdDecrypt(int argc, char** argv);
int cmdInfo(int argc, char** argv);
int cmdSetDefaultCert(int argc, char** argv);

// Directory (LDAP) look-up.
int cmdLdapSearch(int argc, char** argv);

// E-mail accounts and address books.
int cmdMail(int argc, char** argv);
// Online update.
int cmdUpdateCheck(int argc, char** argv);
// The NSS databases of browsers and mail programs.
int cmdNss(int argc, char** argv);

} // namespace yx::tool
