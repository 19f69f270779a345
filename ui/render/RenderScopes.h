#pragma once
// Scope objects for painter state: each undoes its change when it leaves
// scope, so an early return cannot leak a clip, an origin or a mode.
#include <windows.h>

#include "ui/render/IRenderContext.h"

namespace ui {

// A rectangular clip (logical coordinates), removed again on exit.
class RectClipScope {
public:
    RectClipScope(IRenderContext& context, const RECT& rect, bool active = true)
        : context_(context), active_(active) {
        if (active_) context_.PushRectClip(rect);
    }
    ~RectClipScope() { if (active_) context_.PopClip(); }
    RectClipScope(const RectClipScope&) = delete;
    RectClipScope& operator=(const RectClipScope&) = delete;

private:
    IRenderContext& context_;
    bool active_;
};

// A rounded-rectangle clip with corner ellipse width x height.
class RoundClipScope {
public:
    RoundClipScope(IRenderContext& context, const RECT& rect, SIZE corner, bool active = true)
        : context_(context), active_(active) {
        if (active_) context_.PushRoundClip(rect, corner.cx, corner.cy);
    }
    ~RoundClipScope() { if (active_) context_.PopClip(); }
    RoundClipScope(const RoundClipScope&) = delete;
    RoundClipScope& operator=(const RoundClipScope&) = delete;

private:
    IRenderContext& context_;
    bool active_;
};

// Moves the window origin (by an offset, or to a point) and puts it back.
class OriginScope {
public:
    enum Mode { kShift, kMove };
    OriginScope(IRenderContext& context, POINT point, Mode mode = kShift)
        : context_(context),
          old_(mode == kShift ? context.ShiftOrigin(point.x, point.y) : context.MoveOrigin(point.x, point.y)) {}
    ~OriginScope() { context_.MoveOrigin(old_.x, old_.y); }
    OriginScope(const OriginScope&) = delete;
    OriginScope& operator=(const OriginScope&) = delete;

private:
    IRenderContext& context_;
    POINT old_;
};

// Turns the blend-every-image mode on or off for a while.
class TransparentModeScope {
public:
    TransparentModeScope(IRenderContext& context, bool on) : context_(context), old_(context.SetTransparentMode(on)) {}
    ~TransparentModeScope() { context_.SetTransparentMode(old_); }
    TransparentModeScope(const TransparentModeScope&) = delete;
    TransparentModeScope& operator=(const TransparentModeScope&) = delete;

private:
    IRenderContext& context_;
    bool old_;
};

} // namespace ui
