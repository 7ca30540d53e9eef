#include "platform/audio/SdlAudioDevice.h"

#include "archive/FileFolder.h"
#include "audio/Music.h"
#include "audio/TestSounds.h"

#include <TempDir.h>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <thread>

namespace qz {
namespace {

using namespace std::chrono_literals;

// An archive holding the list files and the sounds they name, as the game archive does.
std::unique_ptr<TFileFolder> MakeArchive(const test::TempDir& dir) {
    auto archive = TFileFolder::CreateNew(dir.File("game.zxc"));
    archive->AddFile("sounds.dat", 0, TMemoryStream("short.ogg\r\nlong.ogg\r\nbroken.ogg\r\n"));
    archive->AddFile("musics.dat", 0, TMemoryStream("Vibe-rlx.mo3\r\n"));
    archive->AddFile("short.ogg", 0, TMemoryStream(test::MakeOgg(1, 44100, 4410)));
    archive->AddFile("long.ogg", 0, TMemoryStream(test::MakeOgg(2, 44100, 3 * 44100)));
    archive->AddFile("broken.ogg", 0, TMemoryStream("not a sound"));
    archive->AddFile("Vibe-rlx.mo3", 0, TMemoryStream(test::MakeXm()));
    archive->Save();
    return TFileFolder::Open(dir.File("game.zxc"));
}

TAudioHandle HandleOf(const TMusicList& list, const std::string& name) {
    return list.Item(list.IndexOf(name)).Handle;
}

float Peak(const std::vector<float>& stereo) {
    float peak = 0;
    for (float value : stereo) {
        peak = std::max(peak, std::fabs(value));
    }
    return peak;
}

TEST(SdlAudioDevice, RunsTheGameSequenceOnTheDummyDriver) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    test::TempDir dir;
    auto archive = MakeArchive(dir);
    TSdlAudioDevice device;
    ASSERT_EQ(device.GetVersion(), (8u << 16) | 1u);
    ASSERT_TRUE(device.Init());
    EXPECT_TRUE(device.HasOutput());
    EXPECT_TRUE(device.Init());
    device.Start();
    device.SetGlobalVolumes(0, 100);

    TMusicList list(device);
    list.LoadList(*archive, "sounds.dat", TMusicKind::Sample);
    list.LoadList(*archive, "musics.dat", TMusicKind::Module);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_NE(HandleOf(list, "short.ogg"), 0u);
    EXPECT_EQ(HandleOf(list, "broken.ogg"), 0u);
    const TAudioHandle music = HandleOf(list, "Vibe-rlx.mo3");
    ASSERT_NE(music, 0u);
    TAudioMixer& mixer = device.Mixer();

    // Muted: the music is remembered, not started; the volume rising starts it.
    list.Play("Vibe-rlx.mo3", 0, 100, 0);
    EXPECT_FALSE(mixer.ModulePlaying(music));
    device.SetGlobalVolumes(70, 100);
    list.Play(list.CurrentMusic(), 70, 100, 0);
    EXPECT_TRUE(mixer.ModulePlaying(music));

    const TAudioHandle sound = HandleOf(list, "long.ogg");
    for (int i = 0; i < 6; ++i) {
        list.Play("long.ogg", 70, 100, 0);
    }
    EXPECT_EQ(mixer.PlaybackPositions(sound).size(), 5u);
    list.Play("broken.ogg", 70, 100, 0);

    // Paused output holds the playbacks; started again, they go on.
    device.Pause();
    EXPECT_TRUE(mixer.Paused());
    const std::vector<size_t> held = mixer.PlaybackPositions(sound);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(mixer.PlaybackPositions(sound), held);
    device.Start();
    EXPECT_FALSE(mixer.Paused());
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (mixer.PlaybackPositions(sound) == held && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_NE(mixer.PlaybackPositions(sound), held);

    list.StopAll();
    EXPECT_FALSE(mixer.ModulePlaying(music));
    EXPECT_TRUE(mixer.PlaybackPositions(sound).empty());
    list.Play("Vibe-rlx.mo3", 70, 100, 12);
    device.Stop();
    EXPECT_FALSE(mixer.ModulePlaying(music));
    list.Clear();
    EXPECT_FALSE(mixer.PlaySample(sound, 100));
}

TEST(SdlAudioDevice, WithoutADeviceEveryCallStillWorks) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    test::TempDir dir;
    auto archive = MakeArchive(dir);
    TSdlAudioDevice device;
    EXPECT_FALSE(device.Init());
    EXPECT_FALSE(device.HasOutput());
    device.Start();
    device.SetGlobalVolumes(100, 100);
    TMusicList list(device);
    list.LoadList(*archive, "sounds.dat", TMusicKind::Sample);
    list.LoadList(*archive, "musics.dat", TMusicKind::Module);
    list.Play("Vibe-rlx.mo3", 100, 100, 1);
    list.Play("short.ogg", 100, 100, 0);
    device.Pause();
    device.Start();
    // Nothing pulls the frames, but the mixer is the same as with a device.
    std::vector<float> frames(2 * 1000);
    device.Mixer().Mix(frames.data(), 1000);
    EXPECT_GT(Peak(frames), 0.1f);
    list.StopAll();
    device.Stop();
    list.Clear();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

// SDL's disk driver writes the mixed output (float stereo) to a file in real time.
std::vector<float> RecordMusic(const test::TempDir& dir, const std::string& name, int order) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", dir.File(name).c_str(), 1);
    {
        const std::string xm = test::MakeXm();
        TSdlAudioDevice device;
        EXPECT_TRUE(device.Init());
        device.SetGlobalVolumes(100, 100);
        const TAudioHandle music = device.MusicLoad(xm.data(), xm.size());
        device.MusicPlay(music, order);
        device.Start();
        std::this_thread::sleep_for(300ms);
        device.Stop();
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::ifstream in(dir.File(name), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> frames(bytes.size() / sizeof(float));
    std::memcpy(frames.data(), bytes.data(), frames.size() * sizeof(float));
    return frames;
}

TEST(SdlAudioDevice, MusicReachesTheOutputFromItsOrder) {
    test::TempDir dir;
    // Order 1 sounds at once; order 0 starts with almost a second of silence.
    const std::vector<float> fromOne = RecordMusic(dir, "one.raw", 1);
    const std::vector<float> fromZero = RecordMusic(dir, "zero.raw", 0);
    ASSERT_GE(fromOne.size(), 2u * 4096);
    ASSERT_GE(fromZero.size(), 2u * 4096);
    EXPECT_GT(Peak(fromOne), 0.1f);
    EXPECT_LE(Peak(fromOne), 1.0f);
    // Only the first half second: a slow machine may record past the silent pattern.
    const size_t halfSecond = std::min<size_t>(fromZero.size(), 2 * AudioFrequency / 2);
    EXPECT_EQ(Peak(std::vector<float>(fromZero.begin(), fromZero.begin() + halfSecond)), 0.0f);
}

} // namespace
} // namespace qz
