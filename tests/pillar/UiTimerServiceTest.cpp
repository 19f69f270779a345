#include "pillar/UiTimerService.h"

#include <gtest/gtest.h>

#include <mmsystem.h>

#include <atomic>
#include <vector>

#include "LoopDeadline.h"
#include "pillar/MessageLoop.h"

using pillar::UiTimerService;
using pillar_test::kMs;

namespace {

// Serves the timer window's messages for a while; the loop's own delayed
// task ends the run.
void PumpFor(pillar::UIMessageLoop& loop, int64_t ms) {
    loop.QueueDelayedTask([&loop]() { loop.Quit(); }, ms * kMs);
    ASSERT_TRUE(pillar_test::RunWithDeadline(loop));
}

TEST(UiTimerService, RepeatCountsAndDeadFlags) {
    pillar::UIMessageLoop loop;
    UiTimerService& timers = UiTimerService::Instance();
    pillar::WeakCallbackFlag once, forever, dead;
    int onceRuns = 0, foreverRuns = 0, deadRuns = 0;

    EXPECT_TRUE(timers.AddTimer(once.WeakFlagOf(), [&]() { ++onceRuns; }, 20, 1));
    EXPECT_TRUE(timers.AddTimer(forever.WeakFlagOf(),
                                [&]() {
                                    if (++foreverRuns == 4)
                                        forever.Cancel();
                                },
                                20, -1));
    EXPECT_TRUE(timers.AddTimer(dead.WeakFlagOf(), [&]() { ++deadRuns; }, 20, 3));
    dead.Cancel();
    EXPECT_EQ(UiTimerService::kTickPeriodMs, timers.ArmedPeriodMs());

    PumpFor(loop, 600);
    EXPECT_EQ(1, onceRuns);
    EXPECT_EQ(4, foreverRuns);  // until its flag died
    EXPECT_EQ(0, deadRuns);
    // Nothing left: the multimedia timer is gone too.
    EXPECT_EQ(0u, timers.PendingCount());
    EXPECT_EQ(0u, timers.ArmedPeriodMs());
}

TEST(UiTimerService, CountedRepeatsAndZeroIntervalDoNotSpin) {
    pillar::UIMessageLoop loop;
    UiTimerService& timers = UiTimerService::Instance();
    pillar::WeakCallbackFlag owner;
    int counted = 0, zero = 0;
    timers.AddTimer(owner.WeakFlagOf(), [&]() { ++counted; }, 10, 3);
    // A zero interval runs once per tick; it must not run forever within one.
    timers.AddTimer(owner.WeakFlagOf(), [&]() { ++zero; }, 0, 5);
    PumpFor(loop, 500);
    EXPECT_EQ(3, counted);
    EXPECT_EQ(5, zero);
    EXPECT_EQ(0u, timers.PendingCount());
}

TEST(UiTimerService, WaitPastTheLongestMultimediaPeriodKeepsATimer) {
    TIMECAPS caps{};
    ASSERT_EQ(MMSYSERR_NOERROR, timeGetDevCaps(&caps, sizeof(caps)));
    pillar::UIMessageLoop loop;
    UiTimerService& timers = UiTimerService::Instance();
    pillar::WeakCallbackFlag owner;
    int runs = 0;
    const size_t before = timers.PendingCount();
    timers.AddTimer(owner.WeakFlagOf(), [&]() { ++runs; }, caps.wPeriodMax + 5000, 1);
    PumpFor(loop, 200);
    EXPECT_EQ(0, runs);
    EXPECT_EQ(before + 1, timers.PendingCount());
    // A period the device refuses would leave the entry with no tick at all.
    EXPECT_GT(timers.ArmedPeriodMs(), 1000u);
    EXPECT_LE(timers.ArmedPeriodMs(), caps.wPeriodMax);
    // Cancelled entries stay queued until due; the later tests count from here.
    owner.Cancel();
}

TEST(UiTimerService, LongWaitUsesOneLongTimerInsteadOfTicks) {
    pillar::UIMessageLoop loop;
    UiTimerService& timers = UiTimerService::Instance();
    pillar::WeakCallbackFlag owner;
    int runs = 0;
    const size_t before = timers.PendingCount();
    timers.AddTimer(owner.WeakFlagOf(), [&]() { ++runs; }, 3000, 1);
    PumpFor(loop, 200);
    EXPECT_EQ(0, runs);
    EXPECT_EQ(before + 1, timers.PendingCount());
    // After the first tick the remaining (about 2.8 s) is waited in one go.
    EXPECT_GT(timers.ArmedPeriodMs(), 1000u);
    EXPECT_LE(timers.ArmedPeriodMs(), 3002u);
    owner.Cancel();
}

std::atomic<int64_t> g_handCounter{0};
int64_t HandCounter() { return g_handCounter; }

// Time is stepped by hand in 16 ms ticks, as the multimedia timer would.
TEST(UiTimerService, RepeatsKeepTheirPeriodWithoutCatchUpBursts) {
    UiTimerService& timers = UiTimerService::Instance();
    LARGE_INTEGER frequency, start;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    g_handCounter = start.QuadPart;
    timers.SetCounterSource(&HandCounter);
    // Later tests need the real counter even when an assertion ends this one.
    struct RealCounterAgain {
        ~RealCounterAgain() { UiTimerService::Instance().SetCounterSource(nullptr); }
    } restore;
    int64_t nowMs = 0;
    auto stepTo = [&](int64_t ms) {
        nowMs = ms;
        g_handCounter = start.QuadPart + frequency.QuadPart * ms / 1000;
        timers.RunDueTimers();
    };
    pillar::WeakCallbackFlag owner;
    std::vector<int64_t> runs;
    timers.AddTimer(owner.WeakFlagOf(), [&]() { runs.push_back(nowMs); }, 50, -1);

    for (int64_t ms = 16; ms <= 2000; ms += 16)
        stepTo(ms);
    // Each run of a 50 ms timer comes at the first tick after its due time;
    // rescheduling from the tick that ran it would drift to one per 64 ms.
    ASSERT_EQ(40u, runs.size());
    for (size_t i = 0; i < runs.size(); ++i) {
        EXPECT_GE(runs[i], 50 * int64_t(i + 1));
        EXPECT_LT(runs[i], 50 * int64_t(i + 1) + 16);
    }

    // A stall of ten periods gives one run, and the period restarts there.
    runs.clear();
    stepTo(2500);
    EXPECT_EQ(1u, runs.size());
    stepTo(2549);
    EXPECT_EQ(1u, runs.size());
    stepTo(2550);
    EXPECT_EQ(2u, runs.size());
}

} // namespace
