#include "ui/control/Progress.h"

#include <climits>
#include <cmath>
#include <cwchar>

#include "ui/control/AttributeValues.h"
#include "ui/core/UiGlobals.h"
#include "ui/render/IRenderContext.h"

namespace ui {

namespace {

constexpr UINT kProgressTextFormat = kTextCenter | kTextSingleLine;
constexpr int kDefaultHeight = 12;

// The range and value as painting uses them: an empty or inverted range
// becomes one unit wide and the value is kept inside it.
struct ProgressRange {
    int minimum;
    int maximum;
    double value;
};

ProgressRange Normalised(int minimum, int maximum, double value) {
    if (minimum >= maximum) {
        if (minimum == INT_MAX) minimum = INT_MAX - 1;  // room for maximum = minimum + 1
        maximum = minimum + 1;
    }
    if (std::isnan(value) || value < minimum) value = minimum;
    if (value > maximum) value = maximum;
    return ProgressRange{minimum, maximum, value};
}

} // namespace

Progress::Progress() {
    SetTextFormatFlags(kProgressTextFormat);
    SetHeightSpec(kDefaultHeight);
}

RECT Progress::FilledRect() {
    // Normalised here as well, so a range that painting has not corrected
    // yet never divides by zero.
    const ProgressRange range = Normalised(minimum_, maximum_, value_);
    const double span = static_cast<double>(range.maximum) - range.minimum;
    const RECT& position = Position();
    const double width = position.right - position.left;
    const double height = position.bottom - position.top;
    if (horizontal_) {
        const double filled = width * (range.value - range.minimum) / span;
        return RECT{0, 0, static_cast<LONG>(std::trunc(filled)), static_cast<LONG>(height)};
    }
    const double top = (range.maximum - range.value) * height / span;
    return RECT{0, static_cast<LONG>(std::trunc(top)), static_cast<LONG>(width), static_cast<LONG>(height)};
}

void Progress::SetValue(double value) {
    if (value == value_) return;
    value_ = value;
    MarkDirty();
}

void Progress::SetAttributeValue(const std::wstring& name, const std::wstring& value) {
    if (name == L"hor") {
        const bool on = IsTrueValue(value);
        if (on == horizontal_) return;
        horizontal_ = on;
        MarkDirty();
    } else if (name == L"min") {
        minimum_ = ReadInt(value);
        MarkDirty();
    } else if (name == L"max") {
        maximum_ = ReadInt(value);
        MarkDirty();
    } else if (name == L"value") {
        value_ = ReadInt(value);
        MarkDirty();
    } else if (name == L"progressimage") {
        progressImage_.AssignImageString(value);
        MarkDirty();
    } else if (name == L"isstretchfore") {
        const bool on = IsTrueValue(value);
        if (on == stretchForeground_) return;
        stretchForeground_ = on;
        MarkDirty();
    } else if (name == L"progresscolor") {
        const std::wstring color = SkipLeadingBlanks(value);
        if (color == progressColor_) return;
        progressColor_ = color;
        MarkDirty();
    } else {
        LabelTemplate<Control>::SetAttributeValue(name, value);
    }
}

void Progress::PaintStateImages(IRenderContext& target) {
    const ProgressRange range = Normalised(minimum_, maximum_, value_);
    minimum_ = range.minimum;
    maximum_ = range.maximum;
    value_ = range.value;
    const RECT filled = FilledRect();

    const uint32_t color = progressColor_.empty() ? 0 : UiGlobals::NamedColor(progressColor_);
    if (color != 0) {
        RECT bar = Position();
        if (horizontal_)
            bar.right = bar.left + filled.right;
        else
            bar.top += filled.top;
        target.FillColor(bar, color, 255);
    }

    if (progressImage_.attributes.attributeString.empty()) return;
    wchar_t modify[160];
    if (stretchForeground_) {
        std::swprintf(modify, 160, L"destscale='false' dest='%d,%d,%d,%d'", static_cast<int>(filled.left),
                      static_cast<int>(filled.top), static_cast<int>(filled.right), static_cast<int>(filled.bottom));
    } else {
        std::swprintf(modify, 160, L"destscale='false' dest='%d,%d,%d,%d' source='%d,%d,%d,%d'",
                      static_cast<int>(filled.left), static_cast<int>(filled.top), static_cast<int>(filled.right),
                      static_cast<int>(filled.bottom), static_cast<int>(filled.left), static_cast<int>(filled.top),
                      static_cast<int>(filled.right), static_cast<int>(filled.bottom));
    }
    modifyString_ = modify;
    DrawImageOver(*this, target, progressImage_, modifyString_);
}

void Progress::ReleaseImages() {
    LabelTemplate<Control>::ReleaseImages();
    progressImage_.ReleaseImage();
}

} // namespace ui
