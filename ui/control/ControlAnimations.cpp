#include "ui/control/ControlAnimations.h"

namespace ui {

namespace {

constexpr int kFadeMs = 250;
constexpr double kSizeAcceleration = 0.00084;
constexpr double kSlideAcceleration = 0.006;

int SlideDistance(int extent) { return extent < 1 ? 100 : extent; }

} // namespace

AnimationKind AnimationKindFromAttribute(const std::wstring& name) {
    static const std::map<std::wstring, AnimationKind> kinds = {
        {L"fadealpha", kAnimationFadeAlpha},
        {L"fadeheight", kAnimationFadeHeight},
        {L"fadewidth", kAnimationFadeWidth},
        {L"fadehot", kAnimationFadeHot},
        {L"fadeinoutxfromleft", kAnimationSlideFromLeft},
        {L"fadeinoutxfromright", kAnimationSlideFromRight},
        {L"fadeinoutyfromtop", kAnimationSlideFromTop},
        {L"fadeinoutyfrombottom", kAnimationSlideFromBottom},
    };
    auto it = kinds.find(name);
    return it == kinds.end() ? kAnimationNone : it->second;
}

AnimationSpan AnimationSpanFor(AnimationKind kind, int measuredWidth, int measuredHeight, int width, int height) {
    AnimationSpan span;
    switch (kind) {
    case kAnimationFadeAlpha:
    case kAnimationFadeHot:
        span.to = 255;
        span.totalMs = kFadeMs;
        break;
    case kAnimationFadeHeight:
        span.to = measuredHeight;
        span.acceleration = kSizeAcceleration;
        break;
    case kAnimationFadeWidth:
        span.to = measuredWidth;
        span.acceleration = kSizeAcceleration;
        break;
    case kAnimationSlideFromLeft:
        span.from = SlideDistance(width);
        span.acceleration = kSlideAcceleration;
        break;
    case kAnimationSlideFromRight:
        span.from = -SlideDistance(width);
        span.acceleration = kSlideAcceleration;
        break;
    case kAnimationSlideFromTop:
        span.from = SlideDistance(height);
        span.acceleration = kSlideAcceleration;
        break;
    case kAnimationSlideFromBottom:
        span.from = -SlideDistance(height);
        span.acceleration = kSlideAcceleration;
        break;
    case kAnimationNone:
        break;
    }
    return span;
}

AnimationPlayer* ControlAnimations::Add(AnimationKind kind) {
    if (kind < kAnimationFadeAlpha || kind > kAnimationSlideFromBottom)
        return nullptr;
    std::unique_ptr<AnimationPlayer>& player = players_[kind];
    if (!player) {
        player = std::make_unique<AnimationPlayer>();
        player->Initialize();
        const AnimationSpan span = AnimationSpanFor(kind, 0, 0, 0, 0);
        player->SetStartValue(span.from);
        player->SetEndValue(span.to);
        player->SetTotalMilliseconds(span.totalMs);
        player->SetAccelerationRate(span.acceleration);
    }
    return player.get();
}

bool ControlAnimations::Remove(AnimationKind kind) { return players_.erase(kind) > 0; }

AnimationPlayer* ControlAnimations::Find(AnimationKind kind) const {
    auto it = players_.find(kind);
    return it == players_.end() ? nullptr : it->second.get();
}

void ControlAnimations::Prepare(AnimationKind kind, int measuredWidth, int measuredHeight, int width, int height) {
    AnimationPlayer* player = Find(kind);
    if (!player)
        return;
    const AnimationSpan span = AnimationSpanFor(kind, measuredWidth, measuredHeight, width, height);
    // A player running backward has its ends swapped; keep its direction.
    player->SetStartValue(player->IsReversed() ? span.to : span.from);
    player->SetEndValue(player->IsReversed() ? span.from : span.to);
    // Duration and acceleration are fixed per kind and were set by Add.
    // Setting them again would drop the duration derived for a run in
    // progress, and a reversal half-way would then start from the far end.
}

} // namespace ui
