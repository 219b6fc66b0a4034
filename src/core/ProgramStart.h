// Starting programs without a thread that waits for them: the pieces spawnProgram is made of, for
// callers that wait in their own way (the desktop prompt keeps its window painted meanwhile).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace yx {

// The started program's process id; -1 when it cannot start.
int startProgram(const std::vector<std::string>& argv);
// Its exit status once it has ended (-1 for a program that could not run or was killed); nullopt
// while it runs when not waiting.
std::optional<int> programEnded(int pid, bool wait);
// Lets it run on unwatched; it is reaped when a later program starts.
void releaseProgram(int pid);

} // namespace yx
