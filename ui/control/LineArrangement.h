#pragma once
// The row and column layouts share one algorithm along a main axis (x for a
// row, y for a column): measure every child, share what is left among the
// stretch children, then place them one after the other.
#include <windows.h>

#include "ui/control/Layout.h"

namespace ui {

enum class LineAxis { kHorizontal, kVertical };

SIZE PlaceInLine(LineAxis axis, const ChildList& items, const RECT& rect, int gap);
SIZE MeasureInLine(LineAxis axis, const ChildList& items, int availableWidth, int availableHeight,
                   const RECT& padding, int gap);

} // namespace ui
