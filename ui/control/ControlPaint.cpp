// Painting a control: effects (alpha through a cache surface, clip to the
// rectangle and rounded corners, render offset) and its own steps in order.
#include <windows.h>

#include <algorithm>

#include "ui/control/Control.h"
#include "ui/core/UiGlobals.h"
#include "ui/render/IRenderFactory.h"
#include "ui/render/RenderScopes.h"

namespace ui {

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

BYTE ClampAlpha(int alpha) { return static_cast<BYTE>(std::min(std::max(alpha, 0), 255)); }

// A colour name that resolves to nothing draws nothing.
DWORD ResolveColor(const std::wstring& name) { return name.empty() ? 0 : UiGlobals::NamedColor(name); }

} // namespace

void Control::PaintWithEffects(IRenderContext& target, const RECT& dirty) {
    // The stored alpha is not clamped (markup may give any number); painting
    // treats below 0 as invisible and above 255 as opaque.
    if (alpha_ <= 0)
        return;
    RECT overlap;
    if (!::IntersectRect(&overlap, &dirty, &Position()))
        return;
    if (alpha_ < 255) {
        PaintEffectsThroughCache(target, overlap, true);
        return;
    }
    if (IsCacheEnabled()) {
        PaintEffectsThroughCache(target, overlap, false);
        PaintClipped(target, dirty, false);
        return;
    }
    PaintClipped(target, dirty, true);
}

void Control::PaintClipped(IRenderContext& target, const RECT& dirty, bool withSelf) {
    const bool round = borderRound_.cx >= 1 || borderRound_.cy >= 1;
    RectClipScope rectClip(target, Position(), clipToRect_);
    RoundClipScope roundClip(target, Position(), borderRound_, round);
    OriginScope offset(target, renderOffset_);
    // The dirty area in the shifted coordinates.
    RECT shifted = dirty;
    ::OffsetRect(&shifted, renderOffset_.x, renderOffset_.y);
    if (withSelf)
        PaintSelf(target, shifted);
    PaintChildren(target, shifted);
}

void Control::PaintEffectsThroughCache(IRenderContext& target, const RECT& overlap, bool withChildren) {
    const RECT& position = Position();
    std::unique_ptr<IRenderContext>& cache = CacheContext();
    if (!cache) {
        IRenderFactory* factory = UiGlobals::GetRenderFactory();
        if (factory)
            cache = factory->NewRenderContext();
        if (!cache) {
            // Nothing to compose in: paint unblended rather than not at all.
            PaintClipped(target, overlap, true);
            return;
        }
    }
    if (cache->ResizeSurface(Width(position), Height(position)))
        SetCacheDirty(true);
    if (IsCacheDirty()) {
        cache->ClearSurface();
        // The cache's pixel (0, 0) is the control's top-left corner, moved by
        // the render offset.
        OriginScope origin(*cache, POINT{renderOffset_.x + position.left, renderOffset_.y + position.top},
                           OriginScope::kMove);
        RECT clip = position;
        ::OffsetRect(&clip, renderOffset_.x, renderOffset_.y);
        const bool round = borderRound_.cx >= 1 || borderRound_.cy >= 1;
        RectClipScope rectClip(*cache, clip, clipToRect_);
        RoundClipScope roundClip(*cache, clip, borderRound_, round);
        // Images must keep their alpha in the transparent layer.
        TransparentModeScope transparent(*cache, true);
        RECT dirty = position;
        ::OffsetRect(&dirty, renderOffset_.x, renderOffset_.y);
        PaintSelf(*cache, dirty);
        if (withChildren)
            PaintChildren(*cache, dirty);
        SetCacheDirty(false);
    }
    target.BlendFrom(overlap.left, overlap.top, Width(overlap), Height(overlap), cache->DeviceContext(),
                     overlap.left - position.left, overlap.top - position.top, Width(overlap), Height(overlap),
                     withChildren ? ClampAlpha(alpha_) : 255);
    // A translucent control is composed anew every pass; a cached one keeps it.
    if (withChildren)
        cache.reset();
}

void Control::PaintChildren(IRenderContext&, const RECT&) {}

void Control::PaintSelf(IRenderContext& target, const RECT& dirty) {
    RECT paint;
    if (!::IntersectRect(&paint, &dirty, &Position()))
        return;
    paintRect_ = paint;
    PaintBackgroundColor(target);
    PaintBackgroundImage(target);
    PaintStateColor(target);
    PaintStateImages(target);
    PaintLabelText(target);
    PaintBorderLines(target);
}

void Control::PaintBackgroundColor(IRenderContext& target) {
    const DWORD color = ResolveColor(backgroundColor_);
    if (color == 0)
        return;
    // An opaque colour covers only what is repainted; a translucent one must
    // cover the whole control or its layers would add up where areas meet.
    target.FillColor((color >> 24) == 0xFF ? paintRect_ : Position(), color, 255);
}

void Control::PaintBackgroundImage(IRenderContext& target) { DrawImageOver(*this, target, background_.slot); }

void Control::PaintStateColor(IRenderContext& target) {
    const std::wstring hot = ColorForState(kStateHot);
    if (animations_.Has(kAnimationFadeHot) && (state_ == kStateNormal || state_ == kStateHot) && !hot.empty()) {
        target.FillColor(paintRect_, ColorForState(kStateNormal), 255);
        if (hotAlpha_ >= 1)
            target.FillColor(paintRect_, hot, ClampAlpha(hotAlpha_));
        return;
    }
    int state = state_;
    if (state == kStatePushed && ColorForState(kStatePushed).empty())
        state = kStateHot;
    if ((state == kStateHot || state == kStateDisabled) && ColorForState(state).empty())
        state = kStateNormal;
    target.FillColor(paintRect_, ColorForState(state), 255);
}

void Control::PaintStateImages(IRenderContext& target) {
    const bool hotFade = animations_.Has(kAnimationFadeHot);
    for (int kind : {kBackgroundStateImages, kForegroundStateImages}) {
        auto images = stateImages_.find(kind);
        if (images != stateImages_.end())
            PaintStateImageSet(*this, target, images->second, state_, hotFade, hotAlpha_);
    }
}

void Control::PaintLabelText(IRenderContext&) {}

void Control::PaintBorderLines(IRenderContext& target) {
    const DWORD color = ResolveColor(borderColor_);
    if (color == 0)
        return;
    const RECT& r = Position();
    const RECT& sides = sideBorders_;
    if (sides.left >= 1 || sides.top >= 1 || sides.right >= 1 || sides.bottom >= 1) {
        if (sides.left >= 1) {
            const int x = r.left + sides.left / 2;
            target.StrokeLine(RECT{x, r.top, x, r.bottom}, sides.left, color);
        }
        if (sides.top >= 1) {
            const int y = r.top + sides.top / 2;
            target.StrokeLine(RECT{r.left, y, r.right, y}, sides.top, color);
        }
        if (sides.right >= 1) {
            const int x = r.right - (sides.right + 1) / 2;
            target.StrokeLine(RECT{x, r.top, x, r.bottom}, sides.right, color);
        }
        if (sides.bottom >= 1) {
            const int y = r.bottom - (sides.bottom + 1) / 2;
            target.StrokeLine(RECT{r.left, y, r.right, y}, sides.bottom, color);
        }
        return;
    }
    const int b = borderSize_;
    if (b < 1)
        return;
    RECT frame{r.left + b / 2, r.top + b / 2, r.right - b / 2, r.bottom - b / 2};
    if (b % 2) {
        frame.right -= 1;
        frame.bottom -= 1;
    }
    if (borderRound_.cx > 0 || borderRound_.cy > 0)
        target.StrokeRoundRect(frame, borderRound_, b, color);
    else
        target.StrokeRect(frame, b, color);
}

} // namespace ui
