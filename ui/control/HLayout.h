#pragma once
// Children in a row, left to right; stretch children share what the others
// leave, the leftover pixels going one each to the first ones.
#include "ui/control/Layout.h"

namespace ui {

class HLayout : public Layout {
public:
    SIZE PlaceChildren(const ChildList& items, const RECT& rect) override;
    SIZE MeasureChildren(const ChildList& items, int availableWidth, int availableHeight) override;
};

} // namespace ui
