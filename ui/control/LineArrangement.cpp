#include "ui/control/LineArrangement.h"

#include <algorithm>

#include "ui/control/Control.h"

namespace ui {

namespace {

// Reads sizes, margins and limits along the main or the cross axis.
class AxisView {
public:
    explicit AxisView(LineAxis axis) : horizontal_(axis == LineAxis::kHorizontal) {}

    int Main(SIZE s) const { return horizontal_ ? s.cx : s.cy; }
    int Cross(SIZE s) const { return horizontal_ ? s.cy : s.cx; }
    int MainStart(const RECT& r) const { return horizontal_ ? r.left : r.top; }
    int MainEnd(const RECT& r) const { return horizontal_ ? r.right : r.bottom; }
    int CrossStart(const RECT& r) const { return horizontal_ ? r.top : r.left; }
    int CrossEnd(const RECT& r) const { return horizontal_ ? r.bottom : r.right; }
    int MainExtent(const RECT& r) const { return MainEnd(r) - MainStart(r); }
    int CrossExtent(const RECT& r) const { return CrossEnd(r) - CrossStart(r); }

    int ClampMain(const Control& c, int value) const {
        return Clamp(value, horizontal_ ? c.MinWidth() : c.MinHeight(), horizontal_ ? c.MaxWidth() : c.MaxHeight());
    }
    int ClampCross(const Control& c, int value) const {
        return Clamp(value, horizontal_ ? c.MinHeight() : c.MinWidth(), horizontal_ ? c.MaxHeight() : c.MaxWidth());
    }
    // 0 start, 1 centre, 2 end: vertical alignment in a row, horizontal in a column.
    int CrossAlign(const Control& c) const { return horizontal_ ? c.VerticalAlign() : c.HorizontalAlign(); }

    SIZE Measure(Control& c, int main, int cross) const {
        return horizontal_ ? c.MeasureSize(main, cross) : c.MeasureSize(cross, main);
    }
    RECT MakeRect(int mainPos, int crossPos, int mainLen, int crossLen) const {
        return horizontal_ ? RECT{mainPos, crossPos, mainPos + mainLen, crossPos + crossLen}
                           : RECT{crossPos, mainPos, crossPos + crossLen, mainPos + mainLen};
    }
    SIZE MakeSize(int main, int cross) const { return horizontal_ ? SIZE{main, cross} : SIZE{cross, main}; }

private:
    static int Clamp(int value, int minimum, int maximum) {
        value = std::max(value, minimum);
        return maximum >= 0 ? std::min(value, maximum) : value;
    }

    bool horizontal_;
};

bool InFlow(const Control& child) { return child.IsShown() && !child.IsFloat(); }

// What the first pass learns: how many children flow, how many stretch, and
// the room the others take (margins and gaps included).
struct LineShares {
    int count = 0;
    int stretchCount = 0;
    int fixedTotal = 0;
    int stretchSize = 0;
    int remainder = 0;  // leftover pixels, one each to the first stretch children
};

LineShares MeasureShares(const AxisView& axis, const ChildList& items, const RECT& rect, int gap) {
    LineShares shares;
    const int mainAvailable = axis.MainExtent(rect);
    for (const std::unique_ptr<Control>& item : items) {
        Control& child = *item;
        if (!InFlow(child))
            continue;
        ++shares.count;
        const RECT margin = child.GetMarginRect();
        const SIZE size = axis.Measure(child, mainAvailable, axis.CrossExtent(rect));
        const int marginMain = axis.MainStart(margin) + axis.MainEnd(margin);
        if (axis.Main(size) == kSizeStretch) {
            ++shares.stretchCount;
            shares.fixedTotal += marginMain;
        } else {
            shares.fixedTotal += axis.ClampMain(child, axis.Main(size)) + marginMain;
        }
    }
    if (shares.count > 0)
        shares.fixedTotal += (shares.count - 1) * gap;
    if (shares.stretchCount >= 1)
        shares.stretchSize = std::max((mainAvailable - shares.fixedTotal) / shares.stretchCount, 0);
    shares.remainder = mainAvailable - shares.stretchCount * shares.stretchSize - shares.fixedTotal;
    return shares;
}

int CrossPosition(const AxisView& axis, const Control& child, const RECT& rect, const RECT& margin, int length) {
    const int crossAvailable = axis.CrossExtent(rect);
    switch (axis.CrossAlign(child)) {
    case kAlignBottom:  // also kAlignRight
        return axis.CrossEnd(rect) - axis.CrossEnd(margin) - length;
    case kAlignVCenter:  // also kAlignHCenter
        return axis.CrossStart(rect) + (axis.CrossStart(margin) + crossAvailable - axis.CrossEnd(margin) - length) / 2;
    default:
        return axis.CrossStart(rect) + axis.CrossStart(margin);
    }
}

} // namespace

SIZE PlaceInLine(LineAxis lineAxis, const ChildList& items, const RECT& rect, int gap) {
    const AxisView axis(lineAxis);
    LineShares shares = MeasureShares(axis, items, rect, gap);
    const int crossAvailable = axis.CrossExtent(rect);

    int cursor = axis.MainStart(rect);
    int remaining = axis.MainExtent(rect);
    int used = 0;
    int largestCross = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        Control* child = items[i].get();
        if (!child->IsShown())
            continue;
        if (child->IsFloat()) {
            Layout::PlaceFloating(child, rect);
            continue;
        }
        const RECT margin = child->GetMarginRect();
        const int marginStart = axis.MainStart(margin);
        const int marginEnd = axis.MainEnd(margin);
        remaining -= marginStart;
        const SIZE size = axis.Measure(*child, remaining, crossAvailable);

        int mainLength = axis.Main(size);
        if (mainLength == kSizeStretch) {
            mainLength = shares.stretchSize;
            if (shares.remainder > 0) {
                ++mainLength;
                --shares.remainder;
            }
        }
        mainLength = axis.ClampMain(*child, mainLength);

        int crossLength = axis.Cross(size);
        if (crossLength == kSizeStretch)
            crossLength = std::max(crossAvailable - axis.CrossStart(margin) - axis.CrossEnd(margin), 0);
        crossLength = axis.ClampCross(*child, crossLength);

        const int crossPos = CrossPosition(axis, *child, rect, margin, crossLength);
        child->Place(axis.MakeRect(cursor + marginStart, crossPos, mainLength, crossLength));

        cursor += marginStart + mainLength + marginEnd + gap;
        remaining -= mainLength + marginEnd + gap;
        used += marginStart + mainLength + marginEnd;
        largestCross = std::max(largestCross, crossLength);
    }
    if (shares.count > 1)
        used += (shares.count - 1) * gap;
    return axis.MakeSize(used, largestCross);
}

SIZE MeasureInLine(LineAxis lineAxis, const ChildList& items, int availableWidth, int availableHeight,
                   const RECT& padding, int gap) {
    const AxisView axis(lineAxis);
    const SIZE available{availableWidth, availableHeight};
    int mainTotal = 0;
    int largestCross = 0;
    int count = 0;
    for (const std::unique_ptr<Control>& item : items) {
        Control& child = *item;
        if (!InFlow(child))
            continue;
        ++count;
        const SIZE size = axis.Measure(child, axis.Main(available), axis.Cross(available));
        const RECT margin = child.GetMarginRect();
        mainTotal += axis.ClampMain(child, axis.Main(size)) + axis.MainStart(margin) + axis.MainEnd(margin);
        largestCross = std::max(largestCross, axis.ClampCross(child, axis.Cross(size)) + axis.CrossStart(margin) +
                                                  axis.CrossEnd(margin));
    }
    if (count >= 2)
        mainTotal += (count - 1) * gap;
    SIZE needed = axis.MakeSize(mainTotal, largestCross);
    needed.cx += padding.left + padding.right;
    needed.cy += padding.top + padding.bottom;
    return needed;
}

} // namespace ui
