#include "ui/control/VLayout.h"

#include "ui/control/LineArrangement.h"

namespace ui {

SIZE VLayout::PlaceChildren(const ChildList& items, const RECT& rect) {
    return PlaceInLine(LineAxis::kVertical, items, rect, GetChildGap());
}

SIZE VLayout::MeasureChildren(const ChildList& items, int availableWidth, int availableHeight) {
    return MeasureInLine(LineAxis::kVertical, items, availableWidth, availableHeight, GetInnerPadding(),
                         GetChildGap());
}

} // namespace ui
