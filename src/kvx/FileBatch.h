// Several files as one job: each file is a run of its own, up to one run per core goes on at a
// time, and a run that fails stops none of the others (each run writes its own target, and only
// when it succeeds, so nothing another run wrote is lost).
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace yx::kvx {

// Calls run(i) for every i in [0, count), on up to `threads` threads at once (0 = one per core),
// each index once; returns when every call has returned. With one thread (or one file) the
// calls run on the calling thread, in order.
void runEach(size_t count, unsigned threads, const std::function<void(size_t)>& run);

// folder + "/" + the file name of `path` (what follows its last '/' or '\').
std::string pathInFolder(const std::string& folder, const std::string& path);

} // namespace yx::kvx
