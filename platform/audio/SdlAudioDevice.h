#pragma once
// The audio device of the game on Linux: an SDL2 output at 44100 Hz stereo fed by the
// game's own mixer. Without an output device every call still works and nothing is heard.

#include "audio/AudioDevice.h"
#include "platform/audio/AudioMixer.h"

namespace qz {

class TSdlAudioDevice final : public IAudioDevice {
public:
    TSdlAudioDevice();
    // Closes the output device.
    ~TSdlAudioDevice() override;
    TSdlAudioDevice(const TSdlAudioDevice&) = delete;
    TSdlAudioDevice& operator=(const TSdlAudioDevice&) = delete;

    uint32_t GetVersion() const override { return AudioVersion; }
    bool Init() override;
    void Start() override;
    void Pause() override;
    void Stop() override;
    void SetGlobalVolumes(int musicVolume, int sampleVolume) override;
    TAudioHandle SampleLoad(const void* bytes, size_t length, int maxPlaybacks) override;
    TAudioHandle MusicLoad(const void* bytes, size_t length) override;
    bool SamplePlay(TAudioHandle sample, int volume) override;
    bool MusicPlay(TAudioHandle music, int order) override;
    void SampleStop(TAudioHandle sample) override;
    void MusicStop(TAudioHandle music) override;
    void SampleFree(TAudioHandle sample) override;
    void MusicFree(TAudioHandle music) override;

    // True once Init has opened an output device.
    bool HasOutput() const { return device_ != 0; }
    TAudioMixer& Mixer() { return mixer_; }

private:
    static void Fill(void* user, uint8_t* stream, int length);

    TAudioMixer mixer_;
    uint32_t device_ = 0;
    bool subsystem_ = false;
};

} // namespace qz
