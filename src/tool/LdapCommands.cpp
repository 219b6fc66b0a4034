// yaoxia-tool ldap-search: the directory search of the "添加证书到证书库" dialog, from the command
// line. One tab-separated line per certificate found (holder, e-mail, thumbprint); the dialog's
// messages on stderr; --import adds what was found to the other-people store.
#include "CertStore.h"
#include "Commands.h"
#include "DigitalCertificate.h"
#include "DirectorySearch.h"
#include "DirectorySettings.h"
#include "LdapCert.h"
#include "ToolArgs.h"
#include "UserPrompt.h"

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace yx::tool {
namespace {

const char* const kUsage = "ldap-search A|B|all [--name TEXT] [--email TEXT] [--import]";
const char* const kSearchCaption = "查找用户";

// Every line of `text` on stderr, prefixed, for the hosts that failed.
void printDiagnostics(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
        if (!line.empty())
            std::fprintf(stderr, "yaoxia-tool: %s\n", line.c_str());
}

int importAll(const OwnedCerts& certs) {
    COtherCertStore store;
    if (store.OpenCertStore() != 0) {
        std::fprintf(stderr, "yaoxia-tool: the certificate store cannot be opened\n");
        return 1;
    }
    int failed = 0;
    for (const auto& cert : certs)
        if (store.ImportCert(cert.get()) != 0)
            ++failed;
    if (failed) {
        std::fprintf(stderr,
                     "yaoxia-tool: %d of %zu certificates could not be added to the other-people store\n",
                     failed, certs.size());
        return 1;
    }
    std::fprintf(stderr, "yaoxia-tool: %zu certificate(s) added to the other-people store\n", certs.size());
    return 0;
}

} // namespace

int cmdLdapSearch(int argc, char** argv) {
    ToolArgs args;
    if (!args.parse(argc, argv, 1, {"import"}) || args.count() != 1) {
        return usageError(kUsage);
    }
    std::vector<std::string> hosts;
    const std::string& which = args.at(0);
    if (which == "A" || which == "a")
        hosts = {directory::hostA()};
    else if (which == "B" || which == "b")
        hosts = {directory::hostB()};
    else if (which == "all")
        hosts = {directory::hostA(), directory::hostB()};
    else {
        return usageError(kUsage);
    }

    const std::string name = args.option("name").value_or("");
    const std::string email = args.option("email").value_or("");
    if (name.empty() && email.empty()) {
        showMessage("必须输入查询条件!", MsgIcon::Warning);
        return CLdapCert::kNoCriteria;
    }

    OwnedCerts found;
    std::string errors;
    const int rc = directory::searchHosts(hosts, name, email, found, &errors);
    printDiagnostics(errors);
    if (rc != 0) {
        showMessage("目录查询失败!", MsgIcon::Warning, MsgButtons::Ok, nullptr, kSearchCaption);
        return rc;
    }
    if (found.empty()) {
        showMessage("目录服务中不存在与搜索条件相符的项!", MsgIcon::Information, MsgButtons::Ok, nullptr,
                    kSearchCaption);
        return 0;
    }
    for (const auto& cert : found) {
        std::string holder, mail, thumb;
        cert->getDisplayName(holder);
        cert->getEmail(mail);
        cert->getThumbPrint(thumb);
        std::printf("%s\t%s\t%s\n", holder.c_str(), mail.c_str(), thumb.c_str());
    }
    std::fflush(stdout);
    return args.has("import") ? importAll(found) : 0;
}

} // namespace yx::tool
