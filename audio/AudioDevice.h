#pragma once
// What the game needs of the audio library: output control, global volumes, samples with a
// few simultaneous playbacks and looping music modules, all loaded from memory. The game
// makes every call whether or not a device exists; failures are ignored and it is silent.

#include <cstddef>
#include <cstdint>

namespace qz {

// A loaded sample or module; 0 is a failed load, and every call ignores it.
using TAudioHandle = uint32_t;

// The library version the game accepts: high word 8, low word 1 ("1.8").
inline constexpr uint32_t AudioVersion = (8u << 16) | 1u;
// Output runs at this rate, in stereo.
inline constexpr int AudioFrequency = 44100;
// A sample plays at most this many times at once; a further playback replaces the one that
// has been playing longest.
inline constexpr int AudioMaxPlaybacks = 5;

class IAudioDevice {
public:
    virtual ~IAudioDevice() = default;

    virtual uint32_t GetVersion() const = 0;
    // Opens the default output device at AudioFrequency; false when there is none. The output
    // stays stopped until Start.
    virtual bool Init() = 0;
    // Starts or resumes the output.
    virtual void Start() = 0;
    // Holds the output where it is (the game in the background); Start resumes it.
    virtual void Pause() = 0;
    // Stops the output and every playback (shutdown).
    virtual void Stop() = 0;
    // Overall music and sample volumes, 0-100 each.
    virtual void SetGlobalVolumes(int musicVolume, int sampleVolume) = 0;

    // A sample from the bytes of a sound file (OGG); 0 when the bytes cannot be decoded.
    virtual TAudioHandle SampleLoad(const void* bytes, size_t length, int maxPlaybacks) = 0;
    // A tracker module (MO3, XM, IT, S3M, MOD ... found by content) that loops; 0 on failure.
    virtual TAudioHandle MusicLoad(const void* bytes, size_t length) = 0;

    // Plays the sample once at volume 0-100 (further scaled by the global sample volume).
    virtual bool SamplePlay(TAudioHandle sample, int volume) = 0;
    // Starts the module from the beginning of order number order (row 0), restarting it when
    // it is already playing.
    virtual bool MusicPlay(TAudioHandle music, int order) = 0;
    // Stops every playback of the sample.
    virtual void SampleStop(TAudioHandle sample) = 0;
    virtual void MusicStop(TAudioHandle music) = 0;
    virtual void SampleFree(TAudioHandle sample) = 0;
    virtual void MusicFree(TAudioHandle music) = 0;
};

} // namespace qz
