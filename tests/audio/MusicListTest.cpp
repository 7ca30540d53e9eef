#include "archive/FileFolder.h"
#include "audio/Music.h"
#include "audio/NullAudioDevice.h"

#include <TempDir.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qz {
namespace {

// Records every call that reaches the device; loads hand out 10, 11, 12 ... or 0 for bytes
// that start with "bad".
class TRecordingDevice final : public IAudioDevice {
public:
    uint32_t GetVersion() const override { return AudioVersion; }
    bool Init() override { return Log("Init"); }
    void Start() override { Log("Start"); }
    void Pause() override { Log("Pause"); }
    void Stop() override { Log("Stop"); }
    void SetGlobalVolumes(int music, int sample) override {
        Log("Volumes " + std::to_string(music) + " " + std::to_string(sample));
    }
    TAudioHandle SampleLoad(const void* bytes, size_t length, int maxPlaybacks) override {
        return Load("SampleLoad", bytes, length, maxPlaybacks);
    }
    TAudioHandle MusicLoad(const void* bytes, size_t length) override {
        return Load("MusicLoad", bytes, length, 0);
    }
    bool SamplePlay(TAudioHandle sample, int volume) override {
        return Log("SamplePlay " + std::to_string(sample) + " " + std::to_string(volume));
    }
    bool MusicPlay(TAudioHandle music, int order) override {
        return Log("MusicPlay " + std::to_string(music) + " " + std::to_string(order));
    }
    void SampleStop(TAudioHandle h) override { Log("SampleStop " + std::to_string(h)); }
    void MusicStop(TAudioHandle h) override { Log("MusicStop " + std::to_string(h)); }
    void SampleFree(TAudioHandle h) override { Log("SampleFree " + std::to_string(h)); }
    void MusicFree(TAudioHandle h) override { Log("MusicFree " + std::to_string(h)); }

    std::vector<std::string> Calls;

private:
    bool Log(std::string call) {
        Calls.push_back(std::move(call));
        return true;
    }
    TAudioHandle Load(const std::string& what, const void* bytes, size_t length, int max) {
        std::string text(static_cast<const char*>(bytes), length);
        Log(what + " " + text + (max != 0 ? " max " + std::to_string(max) : ""));
        return text.starts_with("bad") ? 0 : next_++;
    }
    TAudioHandle next_ = 10;
};

void Load(TMusicList& list, const std::string& bytes, const std::string& name, TMusicKind kind) {
    list.LoadFromMemory(bytes.data(), bytes.size(), name, kind);
}

TEST(MusicList, AddReplacesByExactNameAndFreesTheOldHandle) {
    TRecordingDevice device;
    TMusicList list(device);
    Load(list, "one", "rotate.ogg", TMusicKind::Sample);
    Load(list, "two", "Vibe-rlx.mo3", TMusicKind::Module);
    Load(list, "three", "ROTATE.ogg", TMusicKind::Sample);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.IndexOf("rotate.ogg"), 0);
    EXPECT_EQ(list.IndexOf("ROTATE.ogg"), 2);
    EXPECT_EQ(list.IndexOf("Rotate.ogg"), -1);

    device.Calls.clear();
    // The module's entry becomes a sample: its old handle is freed as a module.
    Load(list, "four", "Vibe-rlx.mo3", TMusicKind::Sample);
    EXPECT_EQ(device.Calls, (std::vector<std::string>{"MusicFree 11", "SampleLoad four max 5"}));
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Item(1).Handle, 13u);
    EXPECT_EQ(list.Item(1).Kind, TMusicKind::Sample);

    // A failed load keeps handle 0; playing it reaches the device, which ignores it.
    Load(list, "bad bytes", "rotate.ogg", TMusicKind::Sample);
    EXPECT_EQ(list.Item(0).Handle, 0u);

    device.Calls.clear();
    list.Delete(0);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Item(0).Name, "Vibe-rlx.mo3");
    EXPECT_EQ(list.IndexOf("ROTATE.ogg"), 1);
    EXPECT_EQ(device.Calls, (std::vector<std::string>{"SampleFree 0"}));

    device.Calls.clear();
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(device.Calls, (std::vector<std::string>{"SampleFree 13", "SampleFree 12"}));
}

TEST(MusicList, PlayHonoursVolumesAndRemembersMutedMusic) {
    TRecordingDevice device;
    TMusicList list(device);
    Load(list, "s", "2_crystal.ogg", TMusicKind::Sample);
    Load(list, "m", "Vibe-rlx.mo3", TMusicKind::Module);
    Load(list, "l", "level.mo3", TMusicKind::Module);
    device.Calls.clear();

    list.Play("Vibe-rlx.mo3", 0, 80, 0);
    list.Play("2_crystal.ogg", 0, 0, 0);
    list.Play("missing.ogg", 100, 100, 0);
    EXPECT_TRUE(device.Calls.empty());
    EXPECT_EQ(list.CurrentMusic(), "Vibe-rlx.mo3");

    // What the music slider does when the volume rises from 0: play the current music.
    list.Play(list.CurrentMusic(), 40, 80, 0);
    list.Play("2_crystal.ogg", 0, 35, 0);
    list.Play("level.mo3", 100, 0, 12);
    EXPECT_EQ(device.Calls,
              (std::vector<std::string>{"MusicPlay 11 0", "SamplePlay 10 35", "MusicPlay 12 12"}));
    EXPECT_EQ(list.CurrentMusic(), "level.mo3");
    // A sample never becomes the current music.
    list.Play("2_crystal.ogg", 100, 100, 0);
    EXPECT_EQ(list.CurrentMusic(), "level.mo3");

    device.Calls.clear();
    list.StopAll();
    EXPECT_EQ(device.Calls,
              (std::vector<std::string>{"SampleStop 10", "MusicStop 11", "MusicStop 12"}));
}

TEST(MusicList, LoadListReadsEveryLineOfTheListFile) {
    test::TempDir dir;
    auto archive = TFileFolder::CreateNew(dir.File("game.zxc"));
    archive->AddFile("sounds.dat", 0, TMemoryStream("rotate.ogg\r\nalert.ogg\nnot there.ogg\n"));
    archive->AddFile("musics.dat", 0, TMemoryStream("Vibe-rlx.mo3"));
    archive->AddFile("rotate.ogg", 0, TMemoryStream("R"));
    archive->AddFile("alert.ogg", 0, TMemoryStream("A"));
    archive->AddFile("Vibe-rlx.mo3", 0, TMemoryStream("V"));
    archive->Save();
    archive = TFileFolder::Open(dir.File("game.zxc"));

    TRecordingDevice device;
    TMusicList list(device);
    list.LoadList(*archive, "sounds.dat", TMusicKind::Sample);
    list.LoadList(*archive, "musics.dat", TMusicKind::Module);
    list.LoadList(*archive, "nothing.dat", TMusicKind::Module);
    EXPECT_EQ(device.Calls, (std::vector<std::string>{"SampleLoad R max 5", "SampleLoad A max 5",
                                                      "MusicLoad V"}));
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Item(0).Name, "rotate.ogg");
    EXPECT_EQ(list.Item(1).Name, "alert.ogg");
    EXPECT_EQ(list.Item(2).Name, "Vibe-rlx.mo3");
    EXPECT_EQ(list.Item(2).Kind, TMusicKind::Module);

    // Loading the list again replaces every entry by name.
    device.Calls.clear();
    list.LoadList(*archive, "musics.dat", TMusicKind::Module);
    EXPECT_EQ(device.Calls, (std::vector<std::string>{"MusicFree 12", "MusicLoad V"}));
    EXPECT_EQ(list.Count(), 3);
}

TEST(MusicList, RunsOnTheSilentDevice) {
    TNullAudioDevice device;
    EXPECT_EQ(device.GetVersion() >> 16, 8u);
    EXPECT_EQ(device.GetVersion() & 0xFFFF, 1u);
    TMusicList list(device);
    Load(list, "x", "a.ogg", TMusicKind::Sample);
    Load(list, "y", "b.mo3", TMusicKind::Module);
    EXPECT_NE(list.Item(0).Handle, 0u);
    EXPECT_NE(list.Item(0).Handle, list.Item(1).Handle);
    list.Play("b.mo3", 100, 100, 12);
    list.Play("a.ogg", 100, 100, 0);
    list.StopAll();
    EXPECT_EQ(list.CurrentMusic(), "b.mo3");
}

} // namespace
} // namespace qz
