// The frame pacer on a fake clock: the waits it asks for, where the frames fall, and the
// cases it must leave alone (no cap, presents that wait for the monitor, slow frames).
#include "platform/FramePacer.h"

#include <gtest/gtest.h>
#include <vector>

using namespace qz;

namespace {

// A loop whose frames take Work microseconds and whose waits sleep what they are asked
// plus Oversleep, as a timer that rounds up to milliseconds does.
struct TFakeLoop {
    uint64_t Now = 1000000;
    uint64_t Work = 2000;
    uint64_t Oversleep = 0;
    std::vector<uint64_t> Waits;
    std::vector<uint64_t> FrameStarts;
    TFramePacer Pacer{[this] { return Now; },
                      [this](uint64_t micros) {
                          Waits.push_back(micros);
                          Now += micros + Oversleep;
                          return false;
                      }};

    void Frames(int count) {
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(Pacer.WaitForFrame());
            FrameStarts.push_back(Now);
            Now += Work;
            Pacer.FrameShown();
        }
    }
    uint64_t Span() const { return FrameStarts.back() - FrameStarts.front(); }
};

TEST(FramePacer, FastFramesAreHeldToTheRateEvenWhenWaitsOversleep) {
    TFakeLoop loop;
    loop.Pacer.SetRate(60);
    loop.Frames(61);
    // 2 ms of work, then the rest of each 16 667 us period waited.
    EXPECT_TRUE(loop.Pacer.Holding());
    ASSERT_EQ(loop.Waits.size(), 60u);
    EXPECT_EQ(loop.Waits.front(), 16667u - 2000u);
    EXPECT_EQ(loop.Span(), 60u * 16667u);

    // Waits that wake up to a millisecond late do not slow the rate: each period counts
    // from when its frame was due.
    TFakeLoop late;
    late.Oversleep = 999;
    late.Pacer.SetRate(60);
    late.Frames(61);
    EXPECT_LE(late.Span(), 60u * 16667u + 999u);
    EXPECT_GE(late.Span(), 60u * 16667u);

    // Waits that wake more than a period late start the frames over from then: no burst
    // of frames to make up for the time lost.
    TFakeLoop stalled;
    stalled.Oversleep = 20000;
    stalled.Pacer.SetRate(60);
    stalled.Frames(11);
    EXPECT_EQ(stalled.Span(), 10u * (16667u + 20000u));

    // Off: nothing waits.
    TFakeLoop off;
    off.Pacer.SetRate(0);
    off.Frames(20);
    EXPECT_TRUE(off.Waits.empty());
    EXPECT_FALSE(off.Pacer.Holding());
    EXPECT_EQ(off.Span(), 19u * 2000u);
}

TEST(FramePacer, FramesThatTakeAWholePeriodAreNeverHeldBack) {
    // Presents that wait for a 60 Hz monitor: the frame itself lasts a period, give or take
    // a little, and the pacer leaves it alone.
    TFakeLoop vsync;
    vsync.Pacer.SetRate(60);
    for (const uint64_t work : {16667u, 16100u, 16900u, 15500u, 16667u}) {
        vsync.Work = work;
        vsync.Frames(1);
    }
    EXPECT_TRUE(vsync.Waits.empty());
    EXPECT_FALSE(vsync.Pacer.Holding());

    // A slow frame starts the next one at once, with no burst of frames to catch up.
    TFakeLoop slow;
    slow.Pacer.SetRate(60);
    slow.Frames(3);
    slow.Work = 50000;
    slow.Frames(1);
    const size_t waitsBefore = slow.Waits.size();
    slow.Work = 2000;
    slow.Frames(3);
    EXPECT_EQ(slow.FrameStarts[4] - slow.FrameStarts[3], 50000u);
    EXPECT_EQ(slow.FrameStarts[5] - slow.FrameStarts[4], 16667u);
    EXPECT_EQ(slow.Waits.size(), waitsBefore + 2);

    // A cap below the monitor's rate holds back frames that wait for the monitor too.
    TFakeLoop half;
    half.Work = 16667;
    half.Pacer.SetRate(30);
    half.Frames(11);
    EXPECT_EQ(half.Span(), 10u * 33333u);
}

TEST(FramePacer, InputEndsTheWaitAndTheFrameStaysDue) {
    uint64_t now = 0;
    int inputs = 2;
    std::vector<uint64_t> waits;
    TFramePacer pacer([&] { return now; },
                      [&](uint64_t micros) {
                          waits.push_back(micros);
                          // The first two waits are cut short by input after 3 ms.
                          if (inputs > 0) {
                              --inputs;
                              now += 3000;
                              return true;
                          }
                          now += micros;
                          return false;
                      });
    pacer.SetRate(50);
    ASSERT_TRUE(pacer.WaitForFrame());
    now += 1000;
    pacer.FrameShown();
    EXPECT_FALSE(pacer.WaitForFrame());
    EXPECT_FALSE(pacer.WaitForFrame());
    ASSERT_TRUE(pacer.WaitForFrame());
    EXPECT_EQ(now, 20000u);
    EXPECT_EQ(waits, (std::vector<uint64_t>{19000, 16000, 13000}));

    // A new rate applies from now on; the same rate again changes nothing.
    now += 1000;
    pacer.FrameShown();
    pacer.SetRate(50);
    EXPECT_TRUE(pacer.Holding());
    pacer.SetRate(100);
    EXPECT_EQ(pacer.Rate(), 100);
    EXPECT_TRUE(pacer.WaitForFrame());
    EXPECT_EQ(now, 21000u);
}

} // namespace
