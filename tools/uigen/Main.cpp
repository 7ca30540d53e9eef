// uigen: draws the pictures of the interface windows and controls.
//   uigen OUTPUT_FOLDER

#include "tools/uigen/UiGen.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: uigen OUTPUT_FOLDER\n");
        return 2;
    }
    try {
        qz::ui::GenerateInterfaceArt(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "uigen: %s\n", error.what());
        return 1;
    }
    return 0;
}
