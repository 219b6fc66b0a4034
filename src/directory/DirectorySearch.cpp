#include "DirectorySearch.h"

#include "LdapCert.h"

namespace yx::directory {

int searchHosts(const HostQuery& query, const std::vector<std::string>& hosts, const std::string& name,
                const std::string& email, OwnedCerts& found) {
    int result = CLdapCert::kBadHost; // no host at all
    bool anyAnswered = false;
    for (const auto& host : hosts) {
        const int rc = query(host, name, email, found);
        if (rc == CLdapCert::kOk)
            anyAnswered = true;
        else
            result = rc;
    }
    return anyAnswered ? CLdapCert::kOk : result;
}

int searchHosts(const std::vector<std::string>& hosts, const std::string& name, const std::string& email,
                OwnedCerts& found, std::string* errors) {
    const HostQuery ldapQuery = [errors](const std::string& host, const std::string& n, const std::string& e,
                                         OwnedCerts& out) {
        CLdapCert ldap; // one connection per query
        const int rc = ldap.getUserCertificates(host.c_str(), n.c_str(), e.c_str(), out);
        if (rc != CLdapCert::kOk && errors)
            *errors += ldap.lastError() + "\n";
        return rc;
    };
    return searchHosts(ldapQuery, hosts, name, email, found);
}

} // namespace yx::directory
