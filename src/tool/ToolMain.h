// yaoxia-tool: scriptable subcommands over the same code the desktop program uses.
// Exit status = the operation's result code; the system's message text goes to stderr.
#pragma once

namespace yx::tool {
int run(int argc, char** argv);
}
