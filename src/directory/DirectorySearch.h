// A look-up over several directory hosts in order, as "全部搜索" does with hosts A and B: the
// results of every host are appended, and the look-up fails only when every host failed.
#pragma once

#include "DigitalCertificate.h"

#include <string>
#include <vector>

namespace yx::directory {

// 0 when at least one host answered (with or without matches); else the failure code of the
// last host (CLdapCert's codes). `errors`, when given, receives one line per failed host.
int searchHosts(const std::vector<std::string>& hosts, const std::string& name, const std::string& email,
                std::vector<CDigitalCertificate*>& found, std::string* errors = nullptr);

} // namespace yx::directory
