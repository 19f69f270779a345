#pragma once
// The box that carries a window's shadow in its padding band: its own
// painting is skipped when the area to repaint lies wholly inside its content
// rectangle, so updates inside the window leave the shadow alone.
#include "ui/control/Box.h"

namespace ui {

class ShadowBox : public Box {
public:
    ShadowBox();

    void PaintSelf(IRenderContext& target, const RECT& dirty) override;
};

} // namespace ui
