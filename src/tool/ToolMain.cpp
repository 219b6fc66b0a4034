#include "ToolMain.h"

#include <cstdio>
#include <cstring>

namespace yx::tool {

int run(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fprintf(stderr, "usage: yaoxia-tool COMMAND ...\n");
        return argc < 2 ? 2 : 0;
    }
    std::fprintf(stderr, "unknown command: %s\n", argv[1]);
    return 2;
}

} // namespace yx::tool
