// Where an operation fails on the file system, the user keeps seeing the operation's fixed
// message; the system's own reason ("No space left on device") goes to the log, and the
// command-line tool adds it to its error output.
#pragma once

#include <string>

namespace yx {

// Records why a file-system call on `path` failed (err: the errno it left): written to the log
// and kept as the latest reason until taken. Nothing when err is 0.
void noteSystemError(const char* action, const std::string& path, int err);

// The latest reason noted in this process ("写入“/x/a.kvx”失败：No space left on device"), or
// empty; taking it empties it.
std::string takeSystemError();

// How many reasons have been noted in this process so far (to see whether a step noted one).
unsigned systemErrorsNoted();

} // namespace yx
