// The contacts of a Thunderbird profile's address books (abook.sqlite and abook-N.sqlite): name
// and primary address of every card that has one. Read only, through SQLite in read-only mode, so
// a running Thunderbird is not disturbed.
#pragma once

#include "NssDatabases.h"

#include <string>
#include <vector>

namespace yx::nss {

struct TbContact {
    NssDatabase profile;
    std::string name; // DisplayName, else first and last name, else the address
    std::string email;
};

std::vector<TbContact> thunderbirdContacts(const NssDatabase& profile);

} // namespace yx::nss
