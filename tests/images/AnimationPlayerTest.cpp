#include <gtest/gtest.h>

#include <vector>

#include "ImageTestSupport.h"
#include "ui/control/AnimationPlayer.h"

namespace {

ui::AnimationPlayer& Prepared(ui::AnimationPlayer& player, int from, int to, int totalMs, double acceleration = 0) {
    player.SetStartValue(from);
    player.SetEndValue(to);
    player.SetTotalMilliseconds(totalMs);
    player.SetAccelerationRate(acceleration);
    player.PrepareCurve();
    return player;
}

TEST(AnimationCurve, ValuesOfAGivenDuration) {
    ui::AnimationPlayer player;
    Prepared(player, 0, 255, 250);
    // Accelerates over the first 75 ms (30 %), decelerates for the rest.
    EXPECT_EQ(player.ValueAt(0), 0);
    EXPECT_EQ(player.ValueAt(50), 34);    // 255 / (0.3 * 250^2) * 50^2
    EXPECT_EQ(player.ValueAt(75), 76);    // 30 % of the distance
    EXPECT_EQ(player.ValueAt(150), 196);
    EXPECT_EQ(player.ValueAt(249), 254);
    EXPECT_EQ(player.ValueAt(250), 255);
    EXPECT_EQ(player.ValueAt(1000), 255);
    EXPECT_NEAR(player.MaxSpeed(), 2.04, 1e-9);

    int previous = -1;
    for (int t = 0; t <= 260; ++t) {
        const int value = player.ValueAt(t);
        EXPECT_GE(value, previous) << t;
        previous = value;
    }

    Prepared(player, 255, 0, 250);
    EXPECT_EQ(player.ValueAt(75), 178);  // 255 - 76.5, truncated
    EXPECT_EQ(player.ValueAt(250), 0);
}

TEST(AnimationCurve, DurationDerivedFromTheAcceleration) {
    ui::AnimationPlayer player;
    Prepared(player, 0, 100, -1, 0.006);
    // sqrt(100 / (0.006 * 0.3^2 + 0.006 * 0.3 / 0.7 * 0.7^2)) = 235.7
    EXPECT_EQ(player.DurationMilliseconds(), 235);
    EXPECT_EQ(player.TotalMilliseconds(), -1);
    EXPECT_EQ(player.ValueAt(70.5), 29);  // 0.006 * 70.5^2
    EXPECT_EQ(player.ValueAt(235), 100);

    Prepared(player, 0, 300, -1, 0.00084);
    EXPECT_EQ(player.DurationMilliseconds(), 1091);

    // No acceleration: the longest duration allowed, never a division by zero.
    Prepared(player, 0, 10, -1, 0);
    EXPECT_EQ(player.DurationMilliseconds(), ui::AnimationPlayer::kMaxTotalMs);
    EXPECT_EQ(player.ValueAt(0), 0);
}

class AnimationPlayback : public ::testing::Test {
protected:
    void SetUp() override {
        player.SetValueCallback([this](int v) { values.push_back(v); });
        player.SetCompleteCallback([this] { ++completions; });
    }
    ui::AnimationPlayer player;
    std::vector<int> values;
    int completions = 0;
};

TEST_F(AnimationPlayback, RunsToTheEndAndCompletesOnce) {
    player.SetStartValue(0);
    player.SetEndValue(255);
    player.SetTotalMilliseconds(250);
    player.StartPlayback();
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_EQ(player.TimerInterval(), 1);
    for (int i = 0; i < 30 && player.IsPlaying(); ++i)
        player.Advance(10);
    EXPECT_FALSE(player.IsPlaying());
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values.back(), 255);
    EXPECT_EQ(completions, 1);
    for (std::size_t i = 1; i < values.size(); ++i)
        EXPECT_GT(values[i], values[i - 1]);
}

TEST_F(AnimationPlayback, EqualEndsFinishAtOnce) {
    player.SetStartValue(40);
    player.SetEndValue(40);
    player.SetTotalMilliseconds(250);
    player.StartPlayback();
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(values, std::vector<int>{40});
}

TEST_F(AnimationPlayback, ReverseAndResumeMirrorTheElapsedTime) {
    player.SetStartValue(0);
    player.SetEndValue(255);
    player.SetTotalMilliseconds(250);
    player.Resume();
    player.Advance(100);
    player.Halt();
    EXPECT_FALSE(player.IsPlaying());
    const int reached = player.CurrentValue();
    EXPECT_GT(reached, 0);

    player.ResumeReversed();
    EXPECT_TRUE(player.IsReversed());
    EXPECT_EQ(player.StartValue(), 255);
    EXPECT_EQ(player.EndValue(), 0);
    EXPECT_NEAR(player.ElapsedMilliseconds(), 150.0, 10.0);
    for (int i = 0; i < 40 && player.IsPlaying(); ++i)
        player.Advance(10);
    EXPECT_EQ(player.CurrentValue(), 0);
    EXPECT_EQ(completions, 1);

    player.Resume();
    EXPECT_FALSE(player.IsReversed());
    EXPECT_EQ(player.StartValue(), 0);
    EXPECT_EQ(player.EndValue(), 255);
    for (int i = 0; i < 40 && player.IsPlaying(); ++i)
        player.Advance(10);
    EXPECT_EQ(player.CurrentValue(), 255);
    EXPECT_EQ(completions, 2);
}

TEST_F(AnimationPlayback, FirstRunBackwardPlaysTheWholeWay) {
    player.SetStartValue(0);
    player.SetEndValue(255);
    player.SetTotalMilliseconds(250);
    ASSERT_TRUE(player.IsFirstRun());
    player.ResumeReversed();
    EXPECT_FALSE(player.IsFirstRun());
    EXPECT_LT(player.ElapsedMilliseconds(), 20.0);
    EXPECT_TRUE(player.IsPlaying());
}

TEST_F(AnimationPlayback, RestartAfterReversePlaysForwardFromTheStart) {
    player.SetStartValue(0);
    player.SetEndValue(100);
    player.SetTotalMilliseconds(100);
    player.ResumeReversed();
    player.Halt();
    player.Restart();
    EXPECT_FALSE(player.IsReversed());
    EXPECT_EQ(player.StartValue(), 0);
    EXPECT_EQ(player.EndValue(), 100);
}

TEST_F(AnimationPlayback, TimerDrivesItToTheEnd) {
    player.SetStartValue(0);
    player.SetEndValue(100);
    player.SetTotalMilliseconds(120);
    player.StartPlayback();
    ASSERT_TRUE(images_test::PumpUntil([&] { return !player.IsPlaying(); }, 5000));
    EXPECT_EQ(player.CurrentValue(), 100);
    EXPECT_EQ(completions, 1);
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values.back(), 100);
}

TEST(AnimationLifetime, DestroyedPlayerStopsItsTimer) {
    int calls = 0;
    {
        ui::AnimationPlayer player;
        player.SetStartValue(0);
        player.SetEndValue(100);
        player.SetTotalMilliseconds(500);
        player.SetValueCallback([&](int) { ++calls; });
        player.StartPlayback();
    }
    const int before = calls;
    images_test::PumpUntil([] { return false; }, 150);
    EXPECT_EQ(calls, before);
}

TEST(AnimationLifetime, CompletionCallbackMayDestroyThePlayer) {
    auto player = std::make_unique<ui::AnimationPlayer>();
    player->SetStartValue(0);
    player->SetEndValue(10);
    player->SetTotalMilliseconds(10);
    bool done = false;
    player->SetValueCallback([&](int v) {
        if (v == 10) {
            done = true;
            player.reset();
        }
    });
    player->StartPlayback();
    if (player)
        player->Advance(50);
    EXPECT_TRUE(done);
    EXPECT_FALSE(player);
}

} // namespace
