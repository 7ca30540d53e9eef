#include "platform/audio/SdlAudioDevice.h"

#include "platform/audio/OggSample.h"
#include "platform/audio/OpenMptModule.h"

#include <SDL.h>

namespace qz {

TSdlAudioDevice::TSdlAudioDevice() {
    mixer_.SetPaused(true);
}

TSdlAudioDevice::~TSdlAudioDevice() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);
    }
    if (subsystem_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void TSdlAudioDevice::Fill(void* user, uint8_t* stream, int length) {
    auto* self = static_cast<TSdlAudioDevice*>(user);
    self->mixer_.Mix(reinterpret_cast<float*>(stream),
                     static_cast<size_t>(length) / (2 * sizeof(float)));
}

bool TSdlAudioDevice::Init() {
    if (device_ != 0) {
        return true;
    }
    if (!subsystem_) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            return false;
        }
        subsystem_ = true;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = mixer_.Frequency();
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 2;
    wanted.samples = 1024;
    wanted.callback = Fill;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to whatever the hardware wants.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    return device_ != 0;
}

void TSdlAudioDevice::Start() {
    mixer_.SetPaused(false);
    if (device_ != 0) {
        SDL_PauseAudioDevice(device_, 0);
    }
}

void TSdlAudioDevice::Pause() {
    if (device_ != 0) {
        SDL_PauseAudioDevice(device_, 1);
    }
    mixer_.SetPaused(true);
}

void TSdlAudioDevice::Stop() {
    Pause();
    mixer_.StopAll();
}

void TSdlAudioDevice::SetGlobalVolumes(int musicVolume, int sampleVolume) {
    mixer_.SetVolumes(musicVolume, sampleVolume);
}

TAudioHandle TSdlAudioDevice::SampleLoad(const void* bytes, size_t length, int maxPlaybacks) {
    auto stereo = DecodeOgg(bytes, length, mixer_.Frequency());
    return stereo ? mixer_.AddSample(std::move(*stereo), maxPlaybacks) : 0;
}

TAudioHandle TSdlAudioDevice::MusicLoad(const void* bytes, size_t length) {
    return mixer_.AddModule(TOpenMptModule::Create(bytes, length));
}

bool TSdlAudioDevice::SamplePlay(TAudioHandle sample, int volume) {
    return mixer_.PlaySample(sample, volume);
}

bool TSdlAudioDevice::MusicPlay(TAudioHandle music, int order) {
    return mixer_.PlayModule(music, order);
}

void TSdlAudioDevice::SampleStop(TAudioHandle sample) {
    mixer_.StopSample(sample);
}
void TSdlAudioDevice::MusicStop(TAudioHandle music) {
    mixer_.StopModule(music);
}
void TSdlAudioDevice::SampleFree(TAudioHandle sample) {
    mixer_.FreeSample(sample);
}
void TSdlAudioDevice::MusicFree(TAudioHandle music) {
    mixer_.FreeModule(music);
}

} // namespace qz
