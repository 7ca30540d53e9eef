#include "platform/audio/AudioMixer.h"

#include <algorithm>

namespace qz {

namespace {

float Gain(int volume) {
    return static_cast<float>(std::clamp(volume, 0, 100)) / 100.0f;
}

} // namespace

TAudioHandle TAudioMixer::AddSample(std::vector<float> stereo, int maxPlaybacks) {
    std::lock_guard lock(mutex_);
    TSample sample;
    sample.Stereo = std::move(stereo);
    sample.MaxPlaybacks = static_cast<size_t>(std::max(maxPlaybacks, 1));
    samples_.emplace(++lastHandle_, std::move(sample));
    return lastHandle_;
}

TAudioHandle TAudioMixer::AddModule(std::unique_ptr<TModuleSource> module) {
    if (!module) {
        return 0;
    }
    std::lock_guard lock(mutex_);
    modules_.emplace(++lastHandle_, TModule{std::move(module), false});
    return lastHandle_;
}

bool TAudioMixer::PlaySample(TAudioHandle sample, int volume) {
    std::lock_guard lock(mutex_);
    auto it = samples_.find(sample);
    if (it == samples_.end()) {
        return false;
    }
    std::vector<TPlayback>& playbacks = it->second.Playbacks;
    if (playbacks.size() >= it->second.MaxPlaybacks) {
        playbacks.erase(playbacks.begin());
    }
    playbacks.push_back(TPlayback{0, Gain(volume)});
    return true;
}

bool TAudioMixer::PlayModule(TAudioHandle module, int order) {
    std::lock_guard lock(mutex_);
    auto it = modules_.find(module);
    if (it == modules_.end()) {
        return false;
    }
    it->second.Source->SetOrder(order);
    it->second.Playing = true;
    return true;
}

void TAudioMixer::StopSample(TAudioHandle sample) {
    std::lock_guard lock(mutex_);
    if (auto it = samples_.find(sample); it != samples_.end()) {
        it->second.Playbacks.clear();
    }
}

void TAudioMixer::StopModule(TAudioHandle module) {
    std::lock_guard lock(mutex_);
    if (auto it = modules_.find(module); it != modules_.end()) {
        it->second.Playing = false;
    }
}

void TAudioMixer::StopAll() {
    std::lock_guard lock(mutex_);
    for (auto& [handle, sample] : samples_) {
        sample.Playbacks.clear();
    }
    for (auto& [handle, module] : modules_) {
        module.Playing = false;
    }
}

void TAudioMixer::FreeSample(TAudioHandle sample) {
    std::lock_guard lock(mutex_);
    samples_.erase(sample);
}

void TAudioMixer::FreeModule(TAudioHandle module) {
    std::unique_ptr<TModuleSource> source;
    {
        std::lock_guard lock(mutex_);
        auto it = modules_.find(module);
        if (it == modules_.end()) {
            return;
        }
        // The module is destroyed outside the lock so that the output is not held up.
        source = std::move(it->second.Source);
        modules_.erase(it);
    }
}

void TAudioMixer::SetVolumes(int musicVolume, int sampleVolume) {
    std::lock_guard lock(mutex_);
    musicGain_ = Gain(musicVolume);
    sampleGain_ = Gain(sampleVolume);
}

void TAudioMixer::SetPaused(bool paused) {
    std::lock_guard lock(mutex_);
    paused_ = paused;
}

bool TAudioMixer::Paused() const {
    std::lock_guard lock(mutex_);
    return paused_;
}

void TAudioMixer::Mix(float* stereo, size_t frames) {
    std::fill(stereo, stereo + 2 * frames, 0.0f);
    std::lock_guard lock(mutex_);
    if (paused_) {
        return;
    }
    for (auto& [handle, sample] : samples_) {
        const size_t length = sample.Stereo.size() / 2;
        for (TPlayback& playback : sample.Playbacks) {
            const size_t count = std::min(frames, length - playback.Position);
            const float gain = playback.Gain * sampleGain_;
            const float* from = sample.Stereo.data() + 2 * playback.Position;
            for (size_t i = 0; i < 2 * count; ++i) {
                stereo[i] += from[i] * gain;
            }
            playback.Position += count;
        }
        std::erase_if(sample.Playbacks,
                      [length](const TPlayback& playback) { return playback.Position >= length; });
    }
    scratch_.resize(2 * frames);
    for (auto& [handle, module] : modules_) {
        if (!module.Playing) {
            continue;
        }
        const size_t count = module.Source->Render(frequency_, scratch_.data(), frames);
        for (size_t i = 0; i < 2 * count; ++i) {
            stereo[i] += scratch_[i] * musicGain_;
        }
        if (count < frames) {
            module.Playing = false;
        }
    }
    for (size_t i = 0; i < 2 * frames; ++i) {
        stereo[i] = std::clamp(stereo[i], -1.0f, 1.0f);
    }
}

std::vector<size_t> TAudioMixer::PlaybackPositions(TAudioHandle sample) const {
    std::lock_guard lock(mutex_);
    std::vector<size_t> positions;
    if (auto it = samples_.find(sample); it != samples_.end()) {
        for (const TPlayback& playback : it->second.Playbacks) {
            positions.push_back(playback.Position);
        }
    }
    return positions;
}

bool TAudioMixer::ModulePlaying(TAudioHandle module) const {
    std::lock_guard lock(mutex_);
    auto it = modules_.find(module);
    return it != modules_.end() && it->second.Playing;
}

} // namespace qz
