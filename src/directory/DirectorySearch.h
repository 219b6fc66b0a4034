// A look-up over several directory hosts in order, as "全部搜索" does with hosts A and B: the
// results of every host are appended, and the look-up fails only when every host failed (one
// answering host is enough).
#pragma once

#include "OwnedCerts.h"

#include <functional>
#include <string>
#include <vector>

namespace yx::directory {

// One query on one host: appends what it found and returns 0, or a failure code.
using HostQuery = std::function<int(const std::string& host, const std::string& name,
                                    const std::string& email, OwnedCerts& found)>;

// 0 when at least one host answered (with or without matches); else the failure code of the
// last host (CLdapCert's codes). `errors`, when given, receives one line per failed host.
int searchHosts(const std::vector<std::string>& hosts, const std::string& name, const std::string& email,
                OwnedCerts& found, std::string* errors = nullptr);
// The same over another query (a directory stand-in).
int searchHosts(const HostQuery& query, const std::vector<std::string>& hosts, const std::string& name,
                const std::string& email, OwnedCerts& found);

} // namespace yx::directory
