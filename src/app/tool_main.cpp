#include "ToolMain.h"

int main(int argc, char** argv) {
    return yx::tool::run(argc, argv);
}
