#pragma once
// A label that is clicked: a press and a release inside it, or space or
// return while it has the keyboard, raise the Click event, which bubbles
// through the ancestor boxes.
//
// Members are defined in Button.cpp with explicit instantiations over
// Control and Box.
#include <windows.h>

#include "ui/control/Label.h"

namespace ui {

template <typename Base>
class ButtonTemplate : public LabelTemplate<Base> {
public:
    // Format flags kButtonTextFormat.
    ButtonTemplate();

    // 1 (tab stop) while keyboard-enabled and enabled, else 0.
    UINT GetTabFlags() const override;
    // When it can be activated and has a window: dispatches Click on itself.
    void Trigger() override;
    void HandleEvent(EventArgs& event) override;
};

extern template class ButtonTemplate<Control>;
extern template class ButtonTemplate<Box>;

using Button = ButtonTemplate<Control>;
using ButtonBox = ButtonTemplate<Box>;

} // namespace ui
