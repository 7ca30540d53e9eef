#pragma once
// The game's own mixer: decoded samples with a few simultaneous playbacks each, looping
// music modules, global music and sample volumes, pause. The output device pulls frames of
// interleaved float stereo from Mix; tests pull them directly. Every call is thread-safe.

#include "audio/AudioDevice.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace qz {

// A music module as the mixer sees it: a renderer that can jump to an order.
class TModuleSource {
public:
    virtual ~TModuleSource() = default;
    // Jumps to the beginning of order number order (row 0).
    virtual void SetOrder(int order) = 0;
    // Renders up to frames of interleaved stereo at the given rate; fewer only at the end.
    virtual size_t Render(int frequency, float* stereo, size_t frames) = 0;
};

class TAudioMixer {
public:
    explicit TAudioMixer(int frequency = AudioFrequency) : frequency_(frequency) {}
    TAudioMixer(const TAudioMixer&) = delete;
    TAudioMixer& operator=(const TAudioMixer&) = delete;

    int Frequency() const { return frequency_; }

    // stereo holds interleaved left/right frames at Frequency().
    TAudioHandle AddSample(std::vector<float> stereo, int maxPlaybacks);
    TAudioHandle AddModule(std::unique_ptr<TModuleSource> module);

    // Starts a playback at volume 0-100; with maxPlaybacks already sounding, the one playing
    // longest is cut off for it.
    bool PlaySample(TAudioHandle sample, int volume);
    // Starts (or restarts) the module at order, row 0.
    bool PlayModule(TAudioHandle module, int order);
    void StopSample(TAudioHandle sample);
    void StopModule(TAudioHandle module);
    void StopAll();
    void FreeSample(TAudioHandle sample);
    void FreeModule(TAudioHandle module);

    void SetVolumes(int musicVolume, int sampleVolume);
    // While paused Mix gives silence and nothing advances.
    void SetPaused(bool paused);
    bool Paused() const;

    // Fills frames of interleaved stereo (2 × frames floats), clipped to [-1, 1].
    void Mix(float* stereo, size_t frames);

    // The frames already played by each sounding playback of the sample, oldest first.
    std::vector<size_t> PlaybackPositions(TAudioHandle sample) const;
    bool ModulePlaying(TAudioHandle module) const;

private:
    struct TPlayback {
        size_t Position = 0;
        float Gain = 1;
    };
    struct TSample {
        std::vector<float> Stereo;
        size_t MaxPlaybacks = AudioMaxPlaybacks;
        std::vector<TPlayback> Playbacks; // in start order: the front has played longest
    };
    struct TModule {
        std::unique_ptr<TModuleSource> Source;
        bool Playing = false;
    };

    const int frequency_;
    mutable std::mutex mutex_;
    TAudioHandle lastHandle_ = 0;
    std::map<TAudioHandle, TSample> samples_;
    std::map<TAudioHandle, TModule> modules_;
    float musicGain_ = 1;
    float sampleGain_ = 1;
    bool paused_ = false;
    std::vector<float> scratch_;
};

} // namespace qz
