#include "ui/control/HLayout.h"

#include "ui/control/LineArrangement.h"

namespace ui {

SIZE HLayout::PlaceChildren(const ChildList& items, const RECT& rect) {
    return PlaceInLine(LineAxis::kHorizontal, items, rect, GetChildGap());
}

SIZE HLayout::MeasureChildren(const ChildList& items, int availableWidth, int availableHeight) {
    return MeasureInLine(LineAxis::kHorizontal, items, availableWidth, availableHeight, GetInnerPadding(),
                         GetChildGap());
}

} // namespace ui
