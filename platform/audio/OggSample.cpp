#include "platform/audio/OggSample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vorbis/vorbisfile.h>

namespace qz {

namespace {

struct TMemorySource {
    const uint8_t* Bytes;
    size_t Length;
    size_t Position;
};

size_t ReadMemory(void* buffer, size_t size, size_t count, void* user) {
    auto* source = static_cast<TMemorySource*>(user);
    if (size == 0) {
        return 0;
    }
    const size_t items = std::min(count, (source->Length - source->Position) / size);
    std::memcpy(buffer, source->Bytes + source->Position, items * size);
    source->Position += items * size;
    return items;
}

int SeekMemory(void* user, ogg_int64_t offset, int whence) {
    auto* source = static_cast<TMemorySource*>(user);
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR) {
        base = static_cast<ogg_int64_t>(source->Position);
    } else if (whence == SEEK_END) {
        base = static_cast<ogg_int64_t>(source->Length);
    }
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(source->Length)) {
        return -1;
    }
    source->Position = static_cast<size_t>(target);
    return 0;
}

long TellMemory(void* user) {
    return static_cast<long>(static_cast<TMemorySource*>(user)->Position);
}

std::vector<float> Resample(const std::vector<float>& stereo, int from, int to) {
    const size_t inFrames = stereo.size() / 2;
    if (from == to || inFrames == 0) {
        return stereo;
    }
    const size_t outFrames =
        static_cast<size_t>(std::llround(static_cast<double>(inFrames) * to / from));
    std::vector<float> out(2 * outFrames);
    const double step = static_cast<double>(from) / to;
    for (size_t i = 0; i < outFrames; ++i) {
        const double at = static_cast<double>(i) * step;
        const size_t a = std::min(static_cast<size_t>(at), inFrames - 1);
        const size_t b = std::min(a + 1, inFrames - 1);
        const float t = static_cast<float>(at - static_cast<double>(a));
        for (size_t c = 0; c < 2; ++c) {
            out[2 * i + c] = stereo[2 * a + c] * (1 - t) + stereo[2 * b + c] * t;
        }
    }
    return out;
}

} // namespace

std::optional<std::vector<float>> DecodeOgg(const void* bytes, size_t length, int frequency) {
    TMemorySource source{static_cast<const uint8_t*>(bytes), length, 0};
    const ov_callbacks callbacks{ReadMemory, SeekMemory, nullptr, TellMemory};
    OggVorbis_File file;
    if (bytes == nullptr || ov_open_callbacks(&source, &file, nullptr, 0, callbacks) != 0) {
        return std::nullopt;
    }
    const vorbis_info* info = ov_info(&file, -1);
    const int channels = info->channels;
    const int rate = static_cast<int>(info->rate);
    std::vector<float> stereo;
    bool ok = channels > 0 && rate > 0;
    while (ok) {
        float** pcm = nullptr;
        int section = 0;
        const long frames = ov_read_float(&file, &pcm, 4096, &section);
        if (frames == 0) {
            break;
        }
        if (frames < 0) {
            // A damaged page: vorbisfile skips it on the next read; a broken stream ends.
            if (frames == OV_HOLE) {
                continue;
            }
            ok = false;
            break;
        }
        const float* right = pcm[channels > 1 ? 1 : 0];
        for (long i = 0; i < frames; ++i) {
            stereo.push_back(pcm[0][i]);
            stereo.push_back(right[i]);
        }
    }
    ov_clear(&file);
    if (!ok) {
        return std::nullopt;
    }
    return Resample(stereo, rate, frequency);
}

} // namespace qz
