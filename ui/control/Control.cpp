#include "ui/control/Control.h"

#include <algorithm>

#include "pillar/TextConversion.h"
#include "ui/control/AttributeValues.h"
#include "ui/control/Box.h"
#include "ui/core/UiGlobals.h"
#include "ui/core/Window.h"

namespace ui {

namespace {

// The appear animations, in the order they start.
constexpr AnimationKind kAppearKinds[] = {kAnimationFadeAlpha,     kAnimationFadeWidth,    kAnimationFadeHeight,
                                          kAnimationSlideFromLeft, kAnimationSlideFromRight, kAnimationSlideFromTop,
                                          kAnimationSlideFromBottom};

// Size measured without limits, for the size animations.
constexpr int kUnlimited = 999999;

bool IsAbsolutePath(const std::wstring& path) {
    return (!path.empty() && (path[0] == L'\\' || path[0] == L'/')) || (path.size() >= 2 && path[1] == L':');
}

std::wstring ReplaceLineMarks(std::wstring text) {
    static const std::wstring mark = L"<n>";
    for (std::size_t pos = text.find(mark); pos != std::wstring::npos; pos = text.find(mark, pos + 2))
        text.replace(pos, mark.size(), L"\r\n");
    return text;
}

} // namespace

Control::Control() = default;

Control::~Control() {
    // The window forgets every pointer to this control (focus, hover, names).
    if (Window* window = HostWindow())
        window->ReleaseTree(this);
}

// --- sizing image, cursor, tooltip, data -------------------------------------------------

ImageSlot* Control::GetSizingImage() {
    if (!background_.slot.attributes.attributeString.empty())
        return &background_.slot;
    auto images = stateImages_.find(kBackgroundStateImages);
    if (images == stateImages_.end())
        return nullptr;
    for (int state : {kStateNormal, kStateHot, kStatePushed, kStateDisabled}) {
        auto it = images->second.find(state);
        if (it != images->second.end() && !it->second.attributes.attributeString.empty())
            return &it->second;
    }
    return nullptr;
}

int Control::CursorKind() const { return cursorType_; }

std::wstring Control::TooltipText() const {
    if (tooltipText_.empty() && !tooltipTextId_.empty())
        return UiGlobals::Strings().LookupString(tooltipTextId_);
    return tooltipText_;
}

std::string Control::TooltipTextUtf8() const { return pillar::WideToUtf8(TooltipText()); }

void Control::SetTooltip(const std::wstring& text) {
    tooltipText_ = ReplaceLineMarks(text);
    MarkDirty();
}

void Control::SetTooltipUtf8(const std::string& text) {
    if (text.empty()) {
        tooltipText_.clear();
        MarkDirty();
        return;
    }
    const std::wstring wide = pillar::Utf8ToWide(text);
    if (wide != tooltipText_)
        SetTooltip(wide);
}

void Control::SetTooltipId(const std::wstring& id) { ChangeAndMarkDirty(tooltipTextId_, id); }

void Control::SetTooltipIdUtf8(const std::string& id) { SetTooltipId(pillar::Utf8ToWide(id)); }

void Control::SetTooltipWidth(int pixels) { tooltipWidth_ = UiGlobals::ScaleByDpi(pixels); }

int Control::TooltipWidth() const { return tooltipWidth_; }

bool Control::IsContextMenuEnabled() const { return contextMenuUsed_; }

void Control::SetContextMenuEnabled(bool on) { contextMenuUsed_ = on; }

std::wstring Control::DataTag() const { return dataId_; }

std::string Control::DataTagUtf8() const { return pillar::WideToUtf8(dataId_); }

void Control::SetDataTag(const std::wstring& tag) { dataId_ = tag; }

void Control::SetDataTagUtf8(const std::string& tag) { dataId_ = pillar::Utf8ToWide(tag); }

UserData* Control::AttachedObject() const { return userData_.get(); }

void Control::SetAttachedObject(std::unique_ptr<UserData> object) { userData_ = std::move(object); }

// --- visibility ----------------------------------------------------------------------------

void Control::ShowAnimated(bool show) {
    if (show)
        SetShown(true);
    int running = 0;
    for (AnimationKind kind : kAppearKinds)
        running += animations_.Has(kind) ? 1 : 0;
    if (running == 0) {
        if (!show)
            SetShown(false);
        return;
    }
    // Hiding ends when the last backward run ends.
    auto remaining = std::make_shared<int>(running);
    auto hideWhenDone = [this, remaining] {
        if (--*remaining == 0)
            SetShown(false);
    };
    for (AnimationKind kind : kAppearKinds) {
        AnimationPlayer* player = animations_.Find(kind);
        if (!player)
            continue;
        // Measure the ends only while the control is fully shown; after a
        // backward run its size and offset are the animated ones.
        if (!player->IsPlaying() && !player->IsReversed()) {
            const SIZE measured = MeasureSize(kUnlimited, kUnlimited);
            const RECT& rect = Position();
            animations_.Prepare(kind, measured.cx, measured.cy, rect.right - rect.left, rect.bottom - rect.top);
        }
        if (show) {
            player->SetCompleteCallback(nullptr);
            player->Resume();
        } else {
            player->SetCompleteCallback(hideWhenDone);
            player->ResumeReversed();
        }
    }
}

void Control::SetShownByParent(bool shown) {
    StoreShownByParent(shown);
    Window* window = HostWindow();
    if (!shown && window && window->FocusControl() == this)
        window->SetFocus(nullptr);
    if (!IsShown())
        background_.HaltAnimation(*this, BackgroundImage::kCurrentFrame);
}

void Control::SetShown(bool visible) {
    if (visible == IsVisibleFlag())
        return;
    const bool wasShown = IsShown();
    StoreVisible(visible);
    focused_ = false;
    Window* window = HostWindow();
    if (!visible && window && window->FocusControl() == this)
        window->SetFocus(nullptr);
    if (IsShown() != wasShown)
        RequestParentLayout();
    if (!IsShown())
        background_.HaltAnimation(*this, BackgroundImage::kCurrentFrame);
}

// --- flags ----------------------------------------------------------------------------------

bool Control::IsInteractive() const { return enabled_; }

void Control::SetInteractive(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    if (enabled) {
        state_ = kStateNormal;
        hotAlpha_ = 0;
    } else {
        state_ = kStateDisabled;
    }
    MarkDirty();
}

bool Control::AcceptsMouse() const { return mouseEnabled_; }

void Control::SetAcceptsMouse(bool on) { mouseEnabled_ = on; }

bool Control::AcceptsKeyboard() const { return keyboardEnabled_; }

void Control::SetAcceptsKeyboard(bool on) { keyboardEnabled_ = on; }

bool Control::HasFocus() const { return focused_; }

void Control::TakeFocus() {
    if (noFocus_)
        return;
    if (Window* window = HostWindow())
        window->SetFocus(this);
}

UINT Control::GetTabFlags() const { return kTabStop; }

bool Control::IsMousePressed() const { return mousePressed_; }

void Control::SetMousePressed(bool pressed) { mousePressed_ = pressed; }

bool Control::CanActivate() const { return IsShown() && enabled_; }

void Control::Trigger() {}

// --- tree, margin, measuring, placing ---------------------------------------------------------

Control* Control::VisitTree(const TreeVisitor& visitor, void* data, UINT flags) {
    if ((flags & kVisitVisible) && !IsShown())
        return nullptr;
    if ((flags & kVisitEnabled) && !enabled_)
        return nullptr;
    if (flags & kVisitHitTest) {
        const POINT* point = static_cast<const POINT*>(data);
        if (!mouseEnabled_ || !point || !::PtInRect(&Position(), *point))
            return nullptr;
    }
    return visitor(this, data);
}

RECT Control::GetMarginRect() const { return margin_; }

void Control::SetMarginRect(const RECT& margin, bool scale) {
    const RECT value = scale ? ScaleRectByDpi(margin) : margin;
    if (::EqualRect(&value, &margin_))
        return;
    margin_ = value;
    RequestParentLayout();
}

SIZE Control::MeasureTextSize(int, int, bool&) { return SIZE{0, 0}; }

bool Control::HitTestScrolled(POINT point) const {
    const POINT scroll = ScrollOffset();
    point.x += scroll.x;
    point.y += scroll.y;
    return ::PtInRect(&Position(), point) != FALSE;
}

POINT Control::ScrollOffset() const { return POINT{0, 0}; }

SIZE Control::MeasureSize(int availableWidth, int availableHeight) {
    const bool autoWidth = FixedWidth() == kSizeAuto;
    const bool autoHeight = FixedHeight() == kSizeAuto;
    if (!autoWidth && !autoHeight)
        return SIZE{FixedWidth(), FixedHeight()};
    if (!NeedsEstimate())
        return estimatedSize_;

    SIZE imageSize{0, 0};
    if (ImageSlot* image = GetSizingImage()) {
        if (image->attributes.HasDest()) {
            // The image fixes the size for good. Its dest is already in
            // device pixels (scaled when the image string was read).
            const RECT& dest = image->attributes.dest;
            SetWidthSpec(dest.right - dest.left, true, false);
            SetHeightSpec(dest.bottom - dest.top, false);
            return SIZE{FixedWidth(), FixedHeight()};
        }
        if (image->Resolve(ImageResourceFolder())) {
            imageSize.cx = UiGlobals::ScaleByDpi(image->image->Width());
            imageSize.cy = UiGlobals::ScaleByDpi(image->image->Height());
        }
    }

    SetNeedsEstimate(false);
    bool reestimate = false;
    const SIZE textSize = MeasureTextSize(availableWidth, availableHeight, reestimate);
    if (reestimate)
        SetNeedsEstimate(true);
    SIZE size{FixedWidth(), FixedHeight()};
    if (autoWidth)
        size.cx = std::max(imageSize.cx, textSize.cx);
    if (autoHeight)
        size.cy = std::max(imageSize.cy, textSize.cy);
    estimatedSize_ = size;
    return size;
}

void Control::Place(const RECT& rect) {
    RECT placed = rect;
    placed.right = std::max(placed.right, placed.left);
    placed.bottom = std::max(placed.bottom, placed.top);
    if (::EqualRect(&placed, &Position())) {
        SetNeedsArrange(false);
        return;
    }
    RECT old = Position();
    if (::IsRectEmpty(&old))
        old = placed;
    StorePosition(placed);
    SetNeedsArrange(false);
    if (!HostWindow())
        return;

    if (!inResize_) {
        std::weak_ptr<pillar::WeakFlag> alive = WeakFlagOf();
        inResize_ = true;
        RaiseEvent(EventKind::Resize);
        if (alive.expired())
            return;
        inResize_ = false;
    }
    InvalidateMovedArea(old, placed);
}

void Control::InvalidateMovedArea(const RECT& oldRect, const RECT& newRect) {
    Window* window = HostWindow();
    if (!window)
        return;
    RECT area;
    ::UnionRect(&area, &oldRect, &newRect);
    const POINT scroll = ScrollOffset();
    ::OffsetRect(&area, -scroll.x, -scroll.y);
    for (Box* ancestor = ParentBox(); ancestor; ancestor = ancestor->ParentBox()) {
        if (!::IntersectRect(&area, &area, &ancestor->Position()))
            return;
    }
    window->Invalidate(area);
}

// --- appearance setters -----------------------------------------------------------------------

void Control::SetBackgroundColor(const std::wstring& name) {
    ChangeAndMarkDirty(backgroundColor_, SkipLeadingBlanks(name));
}

std::wstring Control::ColorForState(int state) const {
    auto it = stateColors_.find(state);
    return it == stateColors_.end() ? std::wstring() : it->second;
}

void Control::SetColorForState(int state, const std::wstring& name) {
    if (ColorForState(state) == name)
        return;
    if (state == kStateHot)
        AddAnimation(kAnimationFadeHot);
    stateColors_[state] = name;
    MarkDirty();
}

void Control::SetBackgroundImage(const std::wstring& imageString) {
    if (imageString == background_.slot.attributes.attributeString && !imageString.empty())
        return;
    background_.Assign(*this, imageString);
    RepaintOrRelayoutForImage();
}

void Control::SetImageForState(int state, const std::wstring& imageString) {
    if (AssignStateImage(kBackgroundStateImages, state, imageString))
        RepaintOrRelayoutForImage();
}

void Control::SetForeImageForState(int state, const std::wstring& imageString) {
    if (AssignStateImage(kForegroundStateImages, state, imageString))
        MarkDirty();
}

bool Control::AssignStateImage(int kind, int state, const std::wstring& imageString) {
    if (state == kStateHot)
        AddAnimation(kAnimationFadeHot);
    ImageSlot& slot = stateImages_[kind][state];
    if (!imageString.empty() && slot.attributes.attributeString == imageString)
        return false;
    slot.AssignImageString(imageString);
    return true;
}

void Control::RepaintOrRelayoutForImage() {
    // An auto-sized control takes its size from its image.
    if (IsAutoSized())
        RequestParentLayout();
    else
        MarkDirty();
}

std::wstring Control::ImageForState(int state) const { return StateImageString(kBackgroundStateImages, state); }

std::wstring Control::ForeImageForState(int state) const { return StateImageString(kForegroundStateImages, state); }

std::wstring Control::StateImageString(int kind, int state) const {
    auto images = stateImages_.find(kind);
    if (images == stateImages_.end())
        return {};
    auto it = images->second.find(state);
    return it == images->second.end() ? std::wstring() : it->second.attributes.attributeString;
}

void Control::SetBorderColorName(const std::wstring& name) { ChangeAndMarkDirty(borderColor_, name); }

void Control::SetBorderWidths(int width) {
    const int scaled = UiGlobals::ScaleByDpi(width);
    const RECT none{0, 0, 0, 0};
    if (scaled == borderSize_ && ::EqualRect(&sideBorders_, &none))
        return;
    borderSize_ = scaled;
    sideBorders_ = none;
    MarkDirty();
}

void Control::SetBorderWidths(const RECT& widths) {
    const RECT scaled = ScaleRectByDpi(widths);
    if (::EqualRect(&scaled, &sideBorders_))
        return;
    sideBorders_ = scaled;
    MarkDirty();
}

void Control::SetSideBorderWidth(int side, int width) {
    LONG* sides[] = {&sideBorders_.left, &sideBorders_.top, &sideBorders_.right, &sideBorders_.bottom};
    if (side < 0 || side > 3)
        return;
    ChangeAndMarkDirty(*sides[side], static_cast<LONG>(UiGlobals::ScaleByDpi(width)));
}

void Control::SetCornerRound(int cx, int cy) {
    const SIZE round{UiGlobals::ScaleByDpi(cx), UiGlobals::ScaleByDpi(cy)};
    if (round.cx == borderRound_.cx && round.cy == borderRound_.cy)
        return;
    borderRound_ = round;
    MarkDirty();
}

void Control::SetOpacity(int alpha) { ChangeAndMarkDirty(alpha_, alpha); }

void Control::SetHotAlpha(int alpha) { ChangeAndMarkDirty(hotAlpha_, alpha); }

void Control::SetRenderOffset(POINT offset, bool scale) {
    if (scale)
        offset = POINT{UiGlobals::ScaleByDpi(offset.x), UiGlobals::ScaleByDpi(offset.y)};
    if (offset.x == renderOffset_.x && offset.y == renderOffset_.y)
        return;
    renderOffset_ = offset;
    MarkDirty();
}

void Control::SetVisualState(int state) { ChangeAndMarkDirty(state_, state); }

void Control::SetCursorKind(int cursor) { cursorType_ = cursor; }

// --- animations -------------------------------------------------------------------------------

AnimationPlayer* Control::AddAnimation(AnimationKind kind) {
    if (AnimationPlayer* existing = animations_.Find(kind))
        return existing;
    AnimationPlayer* player = animations_.Add(kind);
    if (!player)
        return nullptr;
    // The player belongs to this control and dies with it, so its steps may
    // refer to the control directly.
    switch (kind) {
    case kAnimationFadeAlpha:
        player->SetValueCallback([this](int value) { SetOpacity(value); });
        SetOpacity(0);
        break;
    case kAnimationFadeHeight:
        player->SetValueCallback([this](int value) { SetHeightSpec(value, false); });
        break;
    case kAnimationFadeWidth:
        player->SetValueCallback([this](int value) { SetWidthSpec(value, true, false); });
        break;
    case kAnimationFadeHot:
        player->SetValueCallback([this](int value) { SetHotAlpha(value); });
        break;
    case kAnimationSlideFromLeft:
    case kAnimationSlideFromRight:
        player->SetValueCallback([this](int value) { SetRenderOffset(POINT{value, renderOffset_.y}); });
        break;
    case kAnimationSlideFromTop:
    case kAnimationSlideFromBottom:
        player->SetValueCallback([this](int value) { SetRenderOffset(POINT{renderOffset_.x, value}); });
        break;
    case kAnimationNone:
        break;
    }
    return player;
}

bool Control::RemoveAnimation(AnimationKind kind) {
    if (!animations_.Remove(kind))
        return false;
    if (kind == kAnimationFadeAlpha) {
        alpha_ = 255;
        MarkDirty();
    }
    return true;
}

// --- images ---------------------------------------------------------------------------------

void Control::LoadBackgroundImage() { background_.slot.Resolve(ImageResourceFolder()); }

void Control::UnloadBackgroundImage() { background_.Unload(); }

void Control::ReleaseImages() {
    for (auto& kind : stateImages_) {
        for (auto& state : kind.second)
            state.second.ReleaseImage();
    }
    background_.Unload();
}

// --- ImageHost ------------------------------------------------------------------------------

RECT Control::ImageHostRect() const { return Position(); }

RECT Control::ImagePaintRect() const { return paintRect_; }

std::wstring Control::ImageResourceFolder() const {
    const Window* window = HostWindow();
    const std::wstring skinFolder = window ? window->WindowSkinPath() : std::wstring();
    if (IsAbsolutePath(skinFolder))
        return skinFolder;
    return UiGlobals::ResourceRoot() + skinFolder;
}

void Control::MarkImageDirty() { MarkDirty(); }

BackgroundImage* Control::HostBackgroundImage() { return &background_; }

void Control::OnBackgroundAnimationStopped() {
    std::weak_ptr<pillar::WeakFlag> alive = WeakFlagOf();
    // A copy: a handler may add handlers or destroy this control.
    const EventHandlerMap handlers = animationStopHandlers_;
    for (const auto& entry : handlers) {
        EventArgs event(entry.first, this);
        for (const EventHandler& handler : entry.second) {
            if (handler)
                handler(&event);
            if (alive.expired())
                return;
        }
    }
}

} // namespace ui
