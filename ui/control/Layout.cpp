#include "ui/control/Layout.h"

#include <algorithm>

#include "ui/control/AttributeValues.h"
#include "ui/control/Box.h"
#include "ui/core/UiGlobals.h"

namespace ui {

Layout::~Layout() = default;

bool Layout::SetAttributeValue(const std::wstring& name, const std::wstring& value) {
    if (name == L"padding") {
        SetInnerPadding(ReadRect(value), true);
        return true;
    }
    if (name == L"childmargin") {
        SetChildGap(ReadInt(value));
        return true;
    }
    return false;
}

int Layout::ClampWidth(const Control& child, int width) {
    width = std::max(width, child.MinWidth());
    return child.MaxWidth() >= 0 ? std::min(width, child.MaxWidth()) : width;
}

int Layout::ClampHeight(const Control& child, int height) {
    height = std::max(height, child.MinHeight());
    return child.MaxHeight() >= 0 ? std::min(height, child.MaxHeight()) : height;
}

SIZE Layout::PlaceFloating(Control* child, const RECT& rect) {
    if (!child->IsShown())
        return SIZE{0, 0};
    const RECT margin = child->GetMarginRect();
    const int left = rect.left + margin.left;
    const int top = rect.top + margin.top;
    const int right = rect.right - margin.right;
    const int bottom = rect.bottom - margin.bottom;
    const int availableWidth = right - left;
    const int availableHeight = bottom - top;

    SIZE size = child->MeasureSize(availableWidth, availableHeight);
    // Text that does not fit is measured again wrapped to the space there is.
    if (child->FixedWidth() == kSizeAuto && child->FixedHeight() == kSizeAuto && child->MaxWidth() == kSizeStretch &&
        size.cx > std::max(availableWidth, 0)) {
        child->SetWidthSpec(std::max(availableWidth, 0), false, false);
        size = child->MeasureSize(availableWidth, availableHeight);
        child->SetWidthSpec(kSizeAuto, false, false);
        child->SetNeedsEstimate(true);
    }

    const int width = ClampWidth(*child, size.cx == kSizeStretch ? std::max(availableWidth, 0) : size.cx);
    const int height = ClampHeight(*child, size.cy == kSizeStretch ? std::max(availableHeight, 0) : size.cy);

    int x = left;
    if (child->HorizontalAlign() == kAlignRight)
        x = right - width;
    else if (child->HorizontalAlign() == kAlignHCenter)
        x = left + (right - width - left) / 2;
    int y = top;
    if (child->VerticalAlign() == kAlignBottom)
        y = bottom - height;
    else if (child->VerticalAlign() == kAlignVCenter)
        y = top + (bottom - height - top) / 2;

    child->Place(RECT{x, y, x + width, y + height});
    return SIZE{width, height};
}

SIZE Layout::PlaceChildren(const ChildList& items, const RECT& rect) {
    SIZE used{0, 0};
    for (std::size_t i = 0; i < items.size(); ++i) {
        Control* child = items[i].get();
        if (!child->IsShown())
            continue;
        const SIZE size = PlaceFloating(child, rect);
        used.cx = std::max(used.cx, size.cx);
        used.cy = std::max(used.cy, size.cy);
    }
    return used;
}

SIZE Layout::MeasureChildren(const ChildList& items, int availableWidth, int availableHeight) {
    // Hidden children take no space; a box with none visible needs only its padding.
    SIZE needed{0, 0};
    bool any = false;
    for (const std::unique_ptr<Control>& item : items) {
        Control& child = *item;
        if (!child.IsShown())
            continue;
        const SIZE size = child.MeasureSize(availableWidth, availableHeight);
        const RECT margin = child.GetMarginRect();
        const LONG width = ClampWidth(child, size.cx) + margin.left + margin.right;
        const LONG height = ClampHeight(child, size.cy) + margin.top + margin.bottom;
        needed.cx = any ? std::max(needed.cx, width) : width;
        needed.cy = any ? std::max(needed.cy, height) : height;
        any = true;
    }
    needed.cx += padding_.left + padding_.right;
    needed.cy += padding_.top + padding_.bottom;
    return needed;
}

RECT Layout::GetInnerPadding() const { return padding_; }

void Layout::SetInnerPadding(const RECT& padding, bool scale) {
    const RECT value = scale ? ScaleRectByDpi(padding) : padding;
    if (::EqualRect(&value, &padding_))
        return;
    padding_ = value;
    if (owner_)
        owner_->RequestLayout();
}

int Layout::GetChildGap() const { return childGap_; }

void Layout::SetChildGap(int gap) {
    gap = UiGlobals::ScaleByDpi(gap);
    if (gap == childGap_)
        return;
    childGap_ = gap;
    if (owner_)
        owner_->RequestLayout();
}

} // namespace ui
