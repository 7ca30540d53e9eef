// musicgen: composes the game's tunes and writes them as extended modules.
//   musicgen <output folder> <tune file>...
// writes one module per tune under the name its "module" line gives, and "musics.dat"
// listing them in the order of the arguments.

#include "tools/musicgen/MusicGen.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <sstream>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: musicgen <output folder> <tune file>...\n");
        return 2;
    }
    try {
        std::vector<std::string> texts;
        for (int i = 2; i < argc; ++i) {
            std::ifstream file(argv[i], std::ios::binary);
            if (!file) {
                std::fprintf(stderr, "musicgen: cannot read %s\n", argv[i]);
                return 1;
            }
            std::ostringstream text;
            text << file.rdbuf();
            texts.push_back(text.str());
        }
        const auto music = qz::GenerateMusic(texts);
        qz::WriteMusic(music, argv[1]);
        for (const auto& module : music) {
            std::printf("%s: %zu orders, %zu bytes, %.1f LUFS\n", module.Name.c_str(),
                        module.Orders, module.Bytes.size(), module.Lufs);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "musicgen: %s\n", error.what());
        return 1;
    }
    return 0;
}
