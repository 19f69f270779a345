#include "ui/core/WindowShadow.h"

#include "ui/control/AttributeValues.h"
#include "ui/control/Layout.h"
#include "ui/control/ShadowBox.h"

namespace ui {

namespace {

constexpr int kDefaultImageRound = 3;

// The root's size request grown by the band on both sides; stretch and
// auto are kept as they are.
int GrownSize(int size, int before, int after) { return size > 0 ? size + before + after : size; }

} // namespace

std::unique_ptr<Box> WindowShadow::Attach(std::unique_ptr<Box> root) {
    if (!attached_ || !root) return root;
    auto box = std::make_unique<ShadowBox>();
    box->LayoutObject()->SetInnerPadding(scaledCorner_, false);
    box->SetWidthSpec(GrownSize(root->FixedWidth(), scaledCorner_.left, scaledCorner_.right), true, false);
    box->SetHeightSpec(GrownSize(root->FixedHeight(), scaledCorner_.top, scaledCorner_.bottom), false);
    if (defaultImage_) root->SetCornerRound(kDefaultImageRound, kDefaultImageRound);
    root->SetOpacity(255);
    box->AppendChild(std::move(root));
    box->SetBackgroundImage(image_);
    box->RequestLayout();
    box_ = box.get();
    boxAlive_ = box->WeakFlagOf();
    return box;
}

void WindowShadow::SetShadowImage(const std::wstring& image) {
    image_ = image;
    defaultImage_ = false;
}

void WindowShadow::SetShadowCorner(const RECT& corner) {
    corner_ = corner;
    savedCorner_ = corner;
    ChangeDpiScale();
}

void WindowShadow::MaximizedOrRestored(bool maximized) {
    corner_ = maximized ? RECT{0, 0, 0, 0} : savedCorner_;
    ChangeDpiScale();
}

void WindowShadow::ChangeDpiScale() {
    scaledCorner_ = ScaleRectByDpi(corner_);
    if (ShadowBox* box = ShadowContainer()) box->LayoutObject()->SetInnerPadding(scaledCorner_, false);
}

} // namespace ui
