#include "DirectorySearch.h"

#include "LdapCert.h"

namespace yx::directory {

int searchHosts(const std::vector<std::string>& hosts, const std::string& name, const std::string& email,
                std::vector<CDigitalCertificate*>& found, std::string* errors) {
    int result = CLdapCert::kBadHost; // no host at all
    bool anyAnswered = false;
    for (const auto& host : hosts) {
        CLdapCert ldap; // one connection per query
        const int rc = ldap.getUserCertificates(host.c_str(), name.c_str(), email.c_str(), found);
        if (rc == CLdapCert::kOk) {
            anyAnswered = true;
            continue;
        }
        result = rc;
        if (errors)
            *errors += ldap.lastError() + "\n";
    }
    return anyAnswered ? CLdapCert::kOk : result;
}

} // namespace yx::directory
