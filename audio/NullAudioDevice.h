#pragma once
// The silent audio device: accepts every call, hands out handles and plays nothing. The
// game runs on it when no sound output exists.

#include "audio/AudioDevice.h"

namespace qz {

class TNullAudioDevice final : public IAudioDevice {
public:
    uint32_t GetVersion() const override { return AudioVersion; }
    bool Init() override { return true; }
    void Start() override {}
    void Pause() override {}
    void Stop() override {}
    void SetGlobalVolumes(int, int) override {}
    TAudioHandle SampleLoad(const void*, size_t, int) override { return ++lastHandle_; }
    TAudioHandle MusicLoad(const void*, size_t) override { return ++lastHandle_; }
    bool SamplePlay(TAudioHandle sample, int) override { return sample != 0; }
    bool MusicPlay(TAudioHandle music, int) override { return music != 0; }
    void SampleStop(TAudioHandle) override {}
    void MusicStop(TAudioHandle) override {}
    void SampleFree(TAudioHandle) override {}
    void MusicFree(TAudioHandle) override {}

private:
    TAudioHandle lastHandle_ = 0;
};

} // namespace qz
