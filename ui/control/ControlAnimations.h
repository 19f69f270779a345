#pragma once
// The animations a control can own, one player per kind: alpha fade, size
// fades, the hot fade and the four slides. The control supplies the value
// callbacks (what the value changes); this holds the players and their
// ranges, durations and accelerations.
#include <map>
#include <memory>
#include <string>

#include "ui/control/AnimationPlayer.h"

namespace ui {

enum AnimationKind {
    kAnimationNone = 0,
    kAnimationFadeAlpha = 1,       // control alpha 0 -> 255
    kAnimationFadeHeight = 2,      // fixed height 0 -> measured height
    kAnimationFadeWidth = 3,       // fixed width 0 -> measured width
    kAnimationFadeHot = 4,         // hot alpha 0 -> 255
    kAnimationSlideFromLeft = 5,   // render offset x: width -> 0
    kAnimationSlideFromRight = 6,  // render offset x: -width -> 0
    kAnimationSlideFromTop = 7,    // render offset y: height -> 0
    kAnimationSlideFromBottom = 8, // render offset y: -height -> 0
};

// The kind an attribute name ("fadealpha" ... "fadeinoutyfrombottom") adds
// or removes; kAnimationNone for any other name.
AnimationKind AnimationKindFromAttribute(const std::wstring& name);

// Where a player of one kind starts and ends and how long it takes.
struct AnimationSpan {
    int from = 0;
    int to = 0;
    int totalMs = -1;          // -1: derived from the acceleration
    double acceleration = 0;
};

// `measuredWidth/Height` come from measuring the control without limits;
// `width/height` are its current size (slide distances below 1 become 100).
AnimationSpan AnimationSpanFor(AnimationKind kind, int measuredWidth, int measuredHeight, int width, int height);

class ControlAnimations {
public:
    // The player of `kind`, created on first use; null for an unknown kind.
    AnimationPlayer* Add(AnimationKind kind);
    // Destroys the player (its timer stops with it); false when absent.
    bool Remove(AnimationKind kind);
    AnimationPlayer* Find(AnimationKind kind) const;
    bool Has(AnimationKind kind) const { return Find(kind) != nullptr; }
    bool Empty() const { return players_.empty(); }

    // Sets the start and end values of `kind` from the sizes (no-op when absent).
    void Prepare(AnimationKind kind, int measuredWidth, int measuredHeight, int width, int height);

private:
    std::map<int, std::unique_ptr<AnimationPlayer>> players_;
};

} // namespace ui
