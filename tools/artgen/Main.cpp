// artgen: draws the game's pictures.
//   artgen DEFINITIONS_FOLDER OUTPUT_FOLDER

#include "tools/artgen/ArtGen.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: artgen DEFINITIONS_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    try {
        qz::art::GenerateArt(argv[1], argv[2]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "artgen: %s\n", error.what());
        return 1;
    }
    return 0;
}
