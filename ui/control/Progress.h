#pragma once
// The progress bar: a label whose state-image step draws a part filled in
// proportion to a value between a minimum and a maximum, with a colour, an
// image, or both; the rest is the ordinary background.
#include <windows.h>

#include <string>

#include "ui/control/ImageSlot.h"
#include "ui/control/Label.h"

namespace ui {

class Progress : public LabelTemplate<Control> {
public:
    // Format 0x21 (centred, single line), fixed height 12 (DPI-scaled).
    Progress();

    // The filled rectangle relative to the control.
    virtual RECT FilledRect();

    void SetAttributeValue(const std::wstring& name, const std::wstring& value) override;
    void PaintStateImages(IRenderContext& target) override;
    void ReleaseImages() override;

    bool IsHorizontal() const { return horizontal_; }
    int Maximum() const { return maximum_; }
    int Minimum() const { return minimum_; }
    double Value() const { return value_; }
    void SetValue(double value);

private:
    bool horizontal_ = true;
    bool stretchForeground_ = true;
    int maximum_ = 100;
    int minimum_ = 0;
    double value_ = 0;
    ImageSlot progressImage_;
    std::wstring progressColor_;
    std::wstring modifyString_;
};

} // namespace ui
