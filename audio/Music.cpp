#include "audio/Music.h"

#include "archive/FileFolder.h"

#include <cassert>

namespace qz {

TMusicList::~TMusicList() {
    Clear();
}

int TMusicList::IndexOf(std::string_view name) const {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].Name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int TMusicList::Add(std::string_view name) {
    int index = IndexOf(name);
    if (index >= 0) {
        FreeHandle(index);
        return index;
    }
    items_.push_back(TOneMusic{std::string(name), TMusicKind::Sample, 0});
    return Count() - 1;
}

void TMusicList::FreeHandle(int index) {
    assert(index >= 0 && index < Count());
    TOneMusic& item = items_[index];
    if (item.Kind == TMusicKind::Module) {
        device_.MusicFree(item.Handle);
    } else {
        device_.SampleFree(item.Handle);
    }
    item.Handle = 0;
}

void TMusicList::Delete(int index) {
    FreeHandle(index);
    items_.erase(items_.begin() + index);
}

void TMusicList::LoadFromMemory(const void* bytes, size_t length, std::string_view name,
                                TMusicKind kind) {
    TOneMusic& item = items_[Add(name)];
    item.Kind = kind;
    item.Handle = kind == TMusicKind::Module ? device_.MusicLoad(bytes, length)
                                             : device_.SampleLoad(bytes, length, AudioMaxPlaybacks);
}

void TMusicList::LoadList(TFileFolder& archive, std::string_view listName, TMusicKind kind) {
    int listIndex = archive.IndexOf(listName);
    if (listIndex < 0) {
        return;
    }
    // The list is copied out first: loading entries may load more archive streams.
    std::string list = archive.Entry(listIndex).ToString();
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find('\n', start);
        if (end == std::string::npos) {
            end = list.size();
        }
        std::string_view line(list.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        start = end + 1;
        int entry = line.empty() ? -1 : archive.IndexOf(line);
        if (entry < 0) {
            continue;
        }
        const TMemoryStream& bytes = archive.Entry(entry);
        LoadFromMemory(bytes.Data(), bytes.Size(), line, kind);
    }
}

void TMusicList::Play(std::string_view name, int musicVolume, int soundVolume, int startPosition) {
    int index = IndexOf(name);
    if (index < 0) {
        return;
    }
    const TOneMusic& item = items_[index];
    if (item.Kind == TMusicKind::Module) {
        if (musicVolume != 0) {
            device_.MusicPlay(item.Handle, startPosition);
        }
        currentMusic_ = item.Name;
    } else if (soundVolume != 0) {
        device_.SamplePlay(item.Handle, soundVolume);
    }
}

void TMusicList::StopAll() {
    for (const TOneMusic& item : items_) {
        if (item.Kind == TMusicKind::Module) {
            device_.MusicStop(item.Handle);
        } else {
            device_.SampleStop(item.Handle);
        }
    }
}

void TMusicList::Clear() {
    for (int i = 0; i < Count(); ++i) {
        FreeHandle(i);
    }
    items_.clear();
}

} // namespace qz
