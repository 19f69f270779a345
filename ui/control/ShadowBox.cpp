#include "ui/control/ShadowBox.h"

namespace ui {

namespace {

bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

} // namespace

ShadowBox::ShadowBox() = default;

void ShadowBox::PaintSelf(IRenderContext& target, const RECT& dirty) {
    // The shadow lives in the padding band only; a repaint wholly inside the
    // content leaves it as it is.
    if (Contains(ContentBounds(), dirty)) return;
    Box::PaintSelf(target, dirty);
}

} // namespace ui
