// Whether a Mozilla program (Thunderbird, Firefox) has a profile open. While it runs it holds an
// fcntl write lock on the profile's .parentlock and keeps a `lock` symbolic link naming its host
// and process ("127.0.1.1:+4711"). Files of a profile in use must not be rewritten: the program
// writes its own copy back when it ends.
#pragma once

#include <string>

namespace yx::nss {

bool profileInUse(const std::string& dir);

} // namespace yx::nss
