// icongen: draws the application icon in the icon theme's folder layout.
//   icongen OUTPUT_FOLDER ICON_ID SIZE...

#include "archive/Helpers.h"
#include "tools/icongen/IconGen.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: icongen OUTPUT_FOLDER ICON_ID SIZE...\n");
        return 2;
    }
    std::vector<int> sizes;
    for (int i = 3; i < argc; ++i) {
        const auto size = qz::TryStrToInt64(argv[i]);
        if (!size || *size < 16 || *size > 1024) {
            std::fprintf(stderr, "icongen: a size is 16 to 1024 pixels, not \"%s\"\n", argv[i]);
            return 2;
        }
        sizes.push_back(static_cast<int>(*size));
    }
    try {
        qz::icon::WriteIcons(argv[1], argv[2], sizes);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "icongen: %s\n", error.what());
        return 1;
    }
    return 0;
}
