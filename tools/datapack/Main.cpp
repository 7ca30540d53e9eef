// datapack: writes one game archive from the files named on its command line.
//   datapack ARCHIVE [--plain FILE[=NAME]] [--dir FOLDER] [--compact FILE.png]
//                    [--script FILE.aim] [--cipher FILE] ...

#include "tools/datapack/DataPack.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: datapack ARCHIVE [--plain FILE[=NAME]] [--dir FOLDER] "
                             "[--compact FILE.png] [--script FILE.aim] [--cipher FILE] ...\n");
        return 2;
    }
    try {
        qz::PackArchive(qz::ParsePackItems(std::vector<std::string>(argv + 2, argv + argc)),
                        argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "datapack: %s: %s\n", argv[1], error.what());
        return 1;
    }
    return 0;
}
