#include <gtest/gtest.h>

#include "ui/control/ControlAnimations.h"

namespace {

TEST(ControlAnimations, AttributeNamesAndSpans) {
    EXPECT_EQ(ui::AnimationKindFromAttribute(L"fadehot"), ui::kAnimationFadeHot);
    EXPECT_EQ(ui::AnimationKindFromAttribute(L"fadeinoutyfrombottom"), ui::kAnimationSlideFromBottom);
    EXPECT_EQ(ui::AnimationKindFromAttribute(L"FadeHot"), ui::kAnimationNone);

    ui::AnimationSpan alpha = ui::AnimationSpanFor(ui::kAnimationFadeAlpha, 50, 60, 70, 80);
    EXPECT_EQ(alpha.from, 0);
    EXPECT_EQ(alpha.to, 255);
    EXPECT_EQ(alpha.totalMs, 250);

    ui::AnimationSpan height = ui::AnimationSpanFor(ui::kAnimationFadeHeight, 50, 60, 70, 80);
    EXPECT_EQ(height.to, 60);
    EXPECT_EQ(height.totalMs, -1);
    EXPECT_DOUBLE_EQ(height.acceleration, 0.00084);
    EXPECT_EQ(ui::AnimationSpanFor(ui::kAnimationFadeWidth, 50, 60, 70, 80).to, 50);

    // Slides start off by the control's extent (100 when it has none yet).
    EXPECT_EQ(ui::AnimationSpanFor(ui::kAnimationSlideFromLeft, 0, 0, 70, 80).from, 70);
    EXPECT_EQ(ui::AnimationSpanFor(ui::kAnimationSlideFromRight, 0, 0, 70, 80).from, -70);
    EXPECT_EQ(ui::AnimationSpanFor(ui::kAnimationSlideFromTop, 0, 0, 70, 0).from, 100);
    ui::AnimationSpan bottom = ui::AnimationSpanFor(ui::kAnimationSlideFromBottom, 0, 0, 70, 80);
    EXPECT_EQ(bottom.from, -80);
    EXPECT_EQ(bottom.to, 0);
    EXPECT_DOUBLE_EQ(bottom.acceleration, 0.006);
}

TEST(ControlAnimations, PlayersPerKind) {
    ui::ControlAnimations animations;
    EXPECT_EQ(animations.Add(ui::kAnimationNone), nullptr);
    ui::AnimationPlayer* hot = animations.Add(ui::kAnimationFadeHot);
    ASSERT_NE(hot, nullptr);
    EXPECT_EQ(animations.Add(ui::kAnimationFadeHot), hot);
    EXPECT_EQ(hot->TotalMilliseconds(), 250);
    EXPECT_EQ(hot->EndValue(), 255);

    ui::AnimationPlayer* height = animations.Add(ui::kAnimationFadeHeight);
    animations.Prepare(ui::kAnimationFadeHeight, 10, 300, 10, 0);
    height->PrepareCurve();
    EXPECT_EQ(height->EndValue(), 300);
    EXPECT_EQ(height->DurationMilliseconds(), 1091);

    EXPECT_TRUE(animations.Remove(ui::kAnimationFadeHot));
    EXPECT_FALSE(animations.Remove(ui::kAnimationFadeHot));
    EXPECT_FALSE(animations.Has(ui::kAnimationFadeHot));
    EXPECT_TRUE(animations.Has(ui::kAnimationFadeHeight));
}

TEST(ControlAnimations, ReversingASpeedDrivenRunMirrorsItsElapsedTime) {
    ui::ControlAnimations animations;
    ui::AnimationPlayer* height = animations.Add(ui::kAnimationFadeHeight);
    animations.Prepare(ui::kAnimationFadeHeight, 10, 300, 10, 0);
    height->Resume();  // showing: 0 -> 300 over 1091 ms
    height->Advance(400);
    ASSERT_GT(height->CurrentValue(), 0);
    ASSERT_LT(height->CurrentValue(), 300);

    // Hiding half-way measures the control again, then runs backward from
    // where the show got to instead of popping back to the full height.
    animations.Prepare(ui::kAnimationFadeHeight, 10, 300, 10, 0);
    height->ResumeReversed();
    EXPECT_NEAR(height->ElapsedMilliseconds(), 1091.0 - 400.0, 30.0);
    EXPECT_LT(height->CurrentValue(), 290);
    EXPECT_GT(height->CurrentValue(), 0);
}

} // namespace
