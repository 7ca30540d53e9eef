#include "tools/soundmeter/GameAudio.h"

#include <algorithm>
#include <cstring>
#include <libopenmpt/libopenmpt.h>
#include <vorbis/vorbisfile.h>

namespace qz {

namespace {

// libvorbisfile reads the file from memory through these.
struct TMemoryReader {
    std::span<const uint8_t> Bytes;
    size_t Position = 0;
};

size_t Read(void* into, size_t size, size_t count, void* source) {
    auto& reader = *static_cast<TMemoryReader*>(source);
    const size_t wanted = size * count;
    const size_t given = std::min(wanted, reader.Bytes.size() - reader.Position);
    std::memcpy(into, reader.Bytes.data() + reader.Position, given);
    reader.Position += given;
    return size > 0 ? given / size : 0;
}

int Seek(void* source, ogg_int64_t offset, int whence) {
    auto& reader = *static_cast<TMemoryReader*>(source);
    const auto size = static_cast<ogg_int64_t>(reader.Bytes.size());
    const ogg_int64_t base = whence == SEEK_SET   ? 0
                             : whence == SEEK_CUR ? static_cast<ogg_int64_t>(reader.Position)
                                                  : size;
    if (base + offset < 0 || base + offset > size) {
        return -1;
    }
    reader.Position = static_cast<size_t>(base + offset);
    return 0;
}

long Tell(void* source) {
    return static_cast<long>(static_cast<TMemoryReader*>(source)->Position);
}

} // namespace

std::optional<std::vector<float>> DecodeOggStereo(std::span<const uint8_t> bytes) {
    TMemoryReader reader{bytes};
    OggVorbis_File file;
    const ov_callbacks callbacks{Read, Seek, nullptr, Tell};
    if (ov_open_callbacks(&reader, &file, nullptr, 0, callbacks) != 0) {
        return std::nullopt;
    }
    const vorbis_info* info = ov_info(&file, -1);
    if (info == nullptr || info->rate != GameAudioRate || info->channels < 1) {
        ov_clear(&file);
        return std::nullopt;
    }
    const int channels = info->channels;
    std::vector<float> stereo;
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        const long count = ov_read_float(&file, &pcm, 4096, &section);
        if (count < 0) {
            ov_clear(&file);
            return std::nullopt;
        }
        if (count == 0) {
            break;
        }
        for (long i = 0; i < count; ++i) {
            stereo.push_back(pcm[0][i]);
            stereo.push_back(pcm[channels > 1 ? 1 : 0][i]);
        }
    }
    ov_clear(&file);
    return stereo;
}

std::optional<std::vector<float>> RenderModuleStereo(std::span<const uint8_t> bytes) {
    openmpt_module* module = openmpt_module_create_from_memory2(
        bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
        nullptr, nullptr, nullptr, nullptr);
    if (module == nullptr) {
        return std::nullopt;
    }
    openmpt_module_set_repeat_count(module, 0);
    std::vector<float> stereo;
    std::vector<float> block(2 * 4096);
    for (;;) {
        const size_t count = openmpt_module_read_interleaved_float_stereo(
            module, GameAudioRate, block.size() / 2, block.data());
        if (count == 0) {
            break;
        }
        stereo.insert(stereo.end(), block.begin(), block.begin() + static_cast<long>(2 * count));
    }
    openmpt_module_destroy(module);
    return stereo;
}

} // namespace qz
