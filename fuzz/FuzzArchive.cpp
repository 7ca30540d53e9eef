// Opens random bytes as an archive, lists it and loads every entry: damaged archives must
// give their error messages, never a crash or an allocation beyond the file's size.

#include "archive/Error.h"
#include "archive/FileFolder.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string fileName = "/tmp/quarzel-fuzz-archive-" + std::to_string(getpid());
    if (std::FILE* file = std::fopen(fileName.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    } else {
        return 0;
    }
    try {
        const auto folder = qz::TFileFolder::Open(fileName);
        for (size_t i = 0; i < folder->Dir.size(); ++i) {
            const std::string name = folder->Dir[i].Name();
            try {
                folder->LoadFile(name);
            } catch (const qz::Error&) {
            }
        }
        folder->IndexOf("Slider.li");
    } catch (const qz::Error&) {
    }
    return 0;
}
