// soundgen: synthesises the game's sound effects from their recipes.
//   soundgen <recipe file> <output folder>
// writes one Ogg Vorbis file per recipe and "sounds.dat".

#include "tools/soundgen/SoundGen.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <sstream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: soundgen <recipe file> <output folder>\n");
        return 2;
    }
    try {
        std::ifstream file(argv[1], std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "soundgen: cannot read %s\n", argv[1]);
            return 1;
        }
        std::ostringstream text;
        text << file.rdbuf();
        const auto sounds = qz::GenerateSounds(qz::ParseRecipes(text.str()));
        qz::WriteSounds(sounds, argv[2]);
        for (const auto& sound : sounds) {
            std::printf("%s: %.2f s, %zu bytes\n", sound.Name.c_str(), sound.Seconds,
                        sound.Ogg.size());
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "soundgen: %s: %s\n", argv[1], error.what());
        return 1;
    }
    return 0;
}
