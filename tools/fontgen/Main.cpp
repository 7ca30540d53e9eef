// fontgen: rasterises a DejaVu face into the game's bitmap font.
//   fontgen <output folder> <pixel size> <name> [face file]
// writes <name>.xml and <name>.png; the face defaults to DejaVu Sans.

#include "tools/fontgen/FontGen.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr, "usage: fontgen <output folder> <pixel size> <name> [face file]\n");
        return 2;
    }
    const std::string face =
        argc == 5 ? argv[4] : "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    try {
        const int size = std::stoi(argv[2]);
        if (size < 6 || size > 128) {
            std::fprintf(stderr, "fontgen: the pixel size must lie in 6 to 128\n");
            return 2;
        }
        const qz::TGeneratedFont font = qz::GenerateFont(face, size, argv[3]);
        qz::WriteFont(font, argv[1], argv[3]);
        std::printf("%s: %zu glyphs, height %d, atlas %dx%d\n", argv[3], font.GlyphCount,
                    font.Height, font.AtlasWidth, font.AtlasHeight);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "fontgen: %s\n", error.what());
        return 1;
    }
    return 0;
}
