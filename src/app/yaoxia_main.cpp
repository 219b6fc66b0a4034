// The desktop program.
#include "shell/Application.h"

int main(int argc, char** argv) {
    return yx::runDesktopProgram(argc, argv);
}
