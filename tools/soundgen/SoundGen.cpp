#include "tools/soundgen/SoundGen.h"

#include "tools/soundgen/OggVorbisWriter.h"

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

std::vector<TGeneratedSound> GenerateSounds(const std::vector<TSoundRecipe>& recipes) {
    std::vector<TGeneratedSound> sounds;
    for (size_t i = 0; i < recipes.size(); ++i) {
        const std::vector<float> samples = Synthesise(recipes[i]);
        TGeneratedSound sound;
        sound.Name = recipes[i].Name;
        sound.Ogg = EncodeOggVorbis(samples, kSampleRate, static_cast<int32_t>(i + 1));
        sound.Seconds = static_cast<double>(samples.size()) / kSampleRate;
        sounds.push_back(std::move(sound));
    }
    return sounds;
}

std::string SoundList(const std::vector<TGeneratedSound>& sounds) {
    std::string list;
    for (const TGeneratedSound& sound : sounds) {
        list += sound.Name + "\r\n";
    }
    return list;
}

void WriteSounds(const std::vector<TGeneratedSound>& sounds, const std::string& folder) {
    for (const TGeneratedSound& sound : sounds) {
        WriteFile(folder + "/" + sound.Name, sound.Ogg.data(), sound.Ogg.size());
    }
    const std::string list = SoundList(sounds);
    WriteFile(folder + "/sounds.dat", list.data(), list.size());
}

} // namespace qz
