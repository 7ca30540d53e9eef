#include "tools/musicgen/MusicGen.h"

#include <fstream>
#include <stdexcept>

namespace qz {

namespace {

void WriteFile(const std::string& fileName, const void* data, size_t size) {
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!file) {
        throw std::runtime_error("cannot write " + fileName);
    }
}

} // namespace

std::vector<TGeneratedMusic> GenerateMusic(const std::vector<std::string>& texts) {
    std::vector<TGeneratedMusic> music;
    for (size_t i = 0; i < texts.size(); ++i) {
        try {
            const TTune tune = ComposeTune(texts[i]);
            music.push_back({tune.FileName, WriteXm(tune.Module), tune.Module.Orders.size()});
        } catch (const std::runtime_error& error) {
            throw std::runtime_error("tune " + std::to_string(i + 1) + ": " + error.what());
        }
    }
    return music;
}

std::string MusicList(const std::vector<TGeneratedMusic>& music) {
    std::string list;
    for (const TGeneratedMusic& module : music) {
        list += module.Name + "\r\n";
    }
    return list;
}

void WriteMusic(const std::vector<TGeneratedMusic>& music, const std::string& folder) {
    for (const TGeneratedMusic& module : music) {
        WriteFile(folder + "/" + module.Name, module.Bytes.data(), module.Bytes.size());
    }
    const std::string list = MusicList(music);
    WriteFile(folder + "/musics.dat", list.data(), list.size());
}

} // namespace qz
