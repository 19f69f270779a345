#include "ui/control/PlaceHolder.h"

#include "ui/control/Box.h"
#include "ui/core/UiGlobals.h"
#include "ui/core/Window.h"

namespace ui {

namespace {

bool IsSizeSpec(int value) { return value >= 0 || value == kSizeStretch || value == kSizeAuto; }

// Only pixel values scale; the negative stretch and auto marks pass through.
int ScalePixels(int value, bool scale) { return scale && value > 0 ? UiGlobals::ScaleByDpi(value) : value; }

} // namespace

PlaceHolder::PlaceHolder() = default;

PlaceHolder::~PlaceHolder() = default;

Window* PlaceHolder::HostWindow() const { return window_; }

void PlaceHolder::AttachTo(Window* window) { window_ = window; }

void PlaceHolder::AttachTo(Window* window, Box* parent, bool init) {
    window_ = window;
    parent_ = parent;
    if (init && parent)
        Initialize();
}

void PlaceHolder::Initialize() { AfterInitialize(); }

void PlaceHolder::AfterInitialize() {}

bool PlaceHolder::IsShown() const { return visible_ && internalVisible_; }

SIZE PlaceHolder::MeasureSize(int, int) { return SIZE{fixedWidth_, fixedHeight_}; }

RECT PlaceHolder::GetBounds(bool withShadow) const {
    RECT bounds = position_;
    if (!withShadow && window_ && window_->Shadow().IsAttached()) {
        const RECT corner = window_->Shadow().ShadowCorner();
        ::OffsetRect(&bounds, -corner.left, -corner.top);
    }
    return bounds;
}

void PlaceHolder::Place(const RECT& rect) { position_ = rect; }

void PlaceHolder::RequestLayout() {
    if (IsAutoSized())
        RequestParentLayout();
    else
        RelayoutSelf();
}

void PlaceHolder::RequestParentLayout() {
    needsEstimate_ = true;
    // Auto-sized ancestors must measure again; the first one that does not
    // size itself re-lays out the whole branch. The walk is the same without
    // a window, so a detached tree never keeps a stale estimate.
    PlaceHolder* top = this;
    for (Box* ancestor = parent_; ancestor; ancestor = ancestor->ParentBox()) {
        if (!ancestor->IsAutoSized()) {
            ancestor->RelayoutSelf();
            return;
        }
        ancestor->SetNeedsEstimate(true);
        top = ancestor;
    }
    Box* root = window_ ? window_->RootBox() : nullptr;
    if (root)
        root->RelayoutSelf();
    else
        top->RelayoutSelf();
}

void PlaceHolder::MarkDirty() {
    if (!IsShown())
        return;
    cacheDirty_ = true;
    if (window_)
        window_->Invalidate(GetBounds(true));
}

void PlaceHolder::RelayoutSelf() {
    if (!IsShown())
        return;
    needsEstimate_ = true;
    needsArrange_ = true;
    MarkDirty();
    if (window_)
        window_->RequestArrange();
}

void PlaceHolder::SetWidthSpec(int value, bool arrange, bool scale) {
    if (!IsSizeSpec(value))
        return;
    value = ScalePixels(value, scale);
    if (value == fixedWidth_)
        return;
    fixedWidth_ = value;
    if (arrange)
        RequestParentLayout();
    else
        needsEstimate_ = true;
}

void PlaceHolder::SetHeightSpec(int value, bool scale) {
    if (!IsSizeSpec(value))
        return;
    value = ScalePixels(value, scale);
    if (value == fixedHeight_)
        return;
    fixedHeight_ = value;
    RequestParentLayout();
}

void PlaceHolder::SetWidthMin(int value) { SetLimit(minWidth_, value, false); }

void PlaceHolder::SetHeightMin(int value) { SetLimit(minHeight_, value, false); }

void PlaceHolder::SetWidthMax(int value) { SetLimit(maxWidth_, value, true); }

void PlaceHolder::SetHeightMax(int value) { SetLimit(maxHeight_, value, true); }

void PlaceHolder::SetLimit(int& limit, int value, bool negativeAllowed) {
    if (value < 0 && !negativeAllowed)
        return;
    value = ScalePixels(value, true);
    if (value == limit)
        return;
    limit = value;
    // A floating control's limits matter to itself only.
    float_ ? RequestLayout() : RequestParentLayout();
}

void PlaceHolder::SetFloat(bool on) {
    if (on == float_)
        return;
    float_ = on;
    RequestParentLayout();
}

} // namespace ui
