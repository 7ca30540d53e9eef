#pragma once
// The game's list of sound effects and music modules, loaded from the game archive into the
// audio device and played by name. Names are compared exactly, with case.

#include "audio/AudioDevice.h"

#include <cassert>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

class TFileFolder;

enum class TMusicKind : uint8_t { Sample = 0, Module = 1 };

struct TOneMusic {
    std::string Name; // the archive entry name ("rotate.ogg", "Vibe-rlx.mo3")
    TMusicKind Kind = TMusicKind::Sample;
    TAudioHandle Handle = 0;
};

class TMusicList {
public:
    // The device must outlive the list; the list frees its handles when destroyed.
    explicit TMusicList(IAudioDevice& device) : device_(device) {}
    ~TMusicList();
    TMusicList(const TMusicList&) = delete;
    TMusicList& operator=(const TMusicList&) = delete;

    int IndexOf(std::string_view name) const;
    // An existing entry of that name has its handle freed and is reused; otherwise a new
    // entry is appended. Returns the entry's index.
    int Add(std::string_view name);
    void FreeHandle(int index);
    // Frees the handle and removes the entry; later entries move down by one.
    void Delete(int index);
    // Loads the bytes into the device under name; a failed load keeps handle 0.
    void LoadFromMemory(const void* bytes, size_t length, std::string_view name, TMusicKind kind);
    // Reads the list file listName from the archive (one entry name per line, CR LF or LF)
    // and loads every entry it names as kind. A missing list file loads nothing; a line
    // naming no archive entry is skipped.
    void LoadList(TFileFolder& archive, std::string_view listName, TMusicKind kind);
    // A module starts from order startPosition only when musicVolume is not 0, and always
    // becomes the current music; a sample plays only when soundVolume is not 0, at that
    // volume. An unknown name does nothing.
    void Play(std::string_view name, int musicVolume, int soundVolume, int startPosition);
    // Stops every module and every playback of every sample.
    void StopAll();
    // Frees every handle and empties the list (shutdown).
    void Clear();

    // The module last asked for, kept while the music is muted so that it can be started
    // when the volume rises; empty before any.
    const std::string& CurrentMusic() const { return currentMusic_; }
    int Count() const { return static_cast<int>(items_.size()); }
    const TOneMusic& Item(int index) const {
        assert(index >= 0 && index < Count());
        return items_[index];
    }

private:
    IAudioDevice& device_;
    std::vector<TOneMusic> items_;
    std::string currentMusic_;
};

} // namespace qz
