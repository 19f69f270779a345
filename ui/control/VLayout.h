#pragma once
// Children in a column, top to bottom; the row layout with the axes exchanged.
#include "ui/control/Layout.h"

namespace ui {

class VLayout : public Layout {
public:
    SIZE PlaceChildren(const ChildList& items, const RECT& rect) override;
    SIZE MeasureChildren(const ChildList& items, int availableWidth, int availableHeight) override;
};

} // namespace ui
